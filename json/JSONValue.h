#pragma once

// The JSON node model. Every node lives in the memory of one tree (JSONTree.h) and stays
// where it was made for its whole life. Nodes are small: one 32-bit head word, then what the
// node holds. A node records neither its parent nor its tree; whoever reaches a node knows
// both (TJSONNodeRef), and the handle table keeps them for every node it issued a handle for.
// A member of an object is one block: the pair, its key's units, then its value node.
// Nodes have no destructors: a tree releases its memory at once.

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace bramolt::json {

class TJSONArena;
class TJSONHandleTable;
class TJSONPair;
class TJSONTree;
class TJSONValue;

// Concrete shape of a node, kept in the node so that the printer and the kind tests
// need neither virtual calls nor dynamic_cast. TJSONTrue and TJSONFalse are jkBool.
enum class TJSONKind : std::uint8_t { jkObject, jkArray, jkPair, jkString, jkNumber, jkBool, jkNull };

class TJSONAncestor {
  public:
    TJSONAncestor(const TJSONAncestor&) = delete;
    TJSONAncestor& operator=(const TJSONAncestor&) = delete;

    TJSONKind Kind() const { return static_cast<TJSONKind>(FHead & kKindBits); }

    // Kind tests follow the class tree: a number is also a string, TJSONTrue is a bool.
    bool IsValue() const { return Kind() != TJSONKind::jkPair; }
    bool IsObject() const { return Kind() == TJSONKind::jkObject; }
    bool IsArray() const { return Kind() == TJSONKind::jkArray; }
    bool IsPair() const { return Kind() == TJSONKind::jkPair; }
    bool IsString() const { return Kind() == TJSONKind::jkString || Kind() == TJSONKind::jkNumber; }
    bool IsNumber() const { return Kind() == TJSONKind::jkNumber; }
    bool IsBool() const { return Kind() == TJSONKind::jkBool; }
    bool IsNull() const { return Kind() == TJSONKind::jkNull; }

    // The node that holds this one frees it: true of every node.
    static constexpr bool FOwned = true;

    // Sizes kept in the head word: a text's length, a list's capacity. Longer texts keep
    // their length in the word after the head; lists cannot grow past it.
    static constexpr std::uint32_t kMaxSize = (1u << 27) - 1;

    // The bytes of a head word and a text of `length` units of `unitBytes` bytes each.
    static std::size_t TextBytes(std::size_t length, std::size_t unitBytes)
    {
        return TextOffset(length > kMaxSize) + length * unitBytes;
    }

  protected:
    explicit TJSONAncestor(TJSONKind kind) : FHead(static_cast<std::uint32_t>(kind)) {}
    ~TJSONAncestor() = default;

    // One bit whose meaning depends on the kind: a bool's value, an object's member index,
    // a text too long for the head word.
    bool Flag() const { return (FHead & kFlagBit) != 0; }
    void SetFlag(bool on) { FHead = on ? FHead | kFlagBit : FHead & ~kFlagBit; }
    std::uint32_t Size() const { return FHead >> kSizeShift; }
    void SetSize(std::uint32_t size) { FHead = (FHead & ((1u << kSizeShift) - 1)) | size << kSizeShift; }

    // The text kept right behind the head word (or behind the long length after it).
    std::size_t TextLength() const
    {
        if (!Flag())
            return Size();
        std::uint32_t length;
        std::memcpy(&length, reinterpret_cast<const char*>(this) + sizeof FHead, sizeof length);
        return length;
    }
    const void* TextUnits() const { return reinterpret_cast<const char*>(this) + TextOffset(Flag()); }
    // Sets the length of the text and returns where its units go; the node must have been
    // allocated with TextBytes for it.
    void* InitText(std::size_t length);
    // Where the units of a text start, behind the head word or the long length after it.
    static std::size_t TextOffset(bool isLong) { return isLong ? 8 : 4; }

  private:
    friend class TJSONHandleTable;
    friend class TJSONTree;

    static constexpr std::uint32_t kKindBits = 7;
    static constexpr std::uint32_t kHandleBit = 8; // a handle was issued for this node
    static constexpr std::uint32_t kFlagBit = 16;
    static constexpr int kSizeShift = 5;

    bool HasHandle() const { return (FHead & kHandleBit) != 0; }
    void SetHasHandle(bool on) { FHead = on ? FHead | kHandleBit : FHead & ~kHandleBit; }

    std::uint32_t FHead;
};

class TJSONValue : public TJSONAncestor {
  protected:
    using TJSONAncestor::TJSONAncestor;
};

class TJSONString : public TJSONValue {
  public:
    // The text of a string (for a number, TJSONNumber::Value).
    std::u16string_view Value() const
    {
        assert(Kind() == TJSONKind::jkString);
        return {static_cast<const char16_t*>(TextUnits()), TextLength()};
    }
    // The text of a string or of a number, as the methods hand it out.
    std::u16string Text() const;

    // Always false for strings this system makes.
    static constexpr bool FIsNull = false;

  protected:
    friend class TJSONTree;
    friend class TJSONNewNode;
    using TJSONValue::TJSONValue;
};

// A number keeps its text exactly as written or made. Number texts are ASCII, so they are
// kept one byte per character; they are read as doubles only when asked for
// (JSONNumberText.h).
class TJSONNumber : public TJSONString {
  public:
    std::string_view Value() const { return {static_cast<const char*>(TextUnits()), TextLength()}; }

  private:
    friend class TJSONNewNode;
    TJSONNumber() : TJSONString(TJSONKind::jkNumber) {}
};

class TJSONBool : public TJSONValue {
  public:
    bool Value() const { return Flag(); }

  protected:
    friend class TJSONNewNode;
    explicit TJSONBool(bool value) : TJSONValue(TJSONKind::jkBool) { SetFlag(value); }
};

// The classes the parser makes for the literals true and false.
class TJSONTrue : public TJSONBool {
  private:
    friend class TJSONNewNode;
    TJSONTrue() : TJSONBool(true) {}
};

class TJSONFalse : public TJSONBool {
  private:
    friend class TJSONNewNode;
    TJSONFalse() : TJSONBool(false) {}
};

class TJSONNull : public TJSONValue {
  private:
    friend class TJSONNewNode;
    TJSONNull() : TJSONValue(TJSONKind::jkNull) {}
};

// The children of a container: their count and an array of their addresses in the tree's
// memory. The array's address is kept as bytes so that the list, and the container holding
// it, need only the alignment of the head word and pack tightly behind a key.
template <typename T> class TJSONNodeList {
  public:
    std::size_t size() const { return FCount; }
    bool empty() const { return FCount == 0; }
    T* operator[](std::size_t index) const { return Items()[index]; }
    T* const* begin() const { return Items(); }
    T* const* end() const { return Items() + FCount; }

  private:
    friend class TJSONTree;
    T** Items() const
    {
        T** items;
        std::memcpy(&items, FItems, sizeof items);
        return items;
    }
    void SetItems(T** items) { std::memcpy(FItems, &items, sizeof items); }
    void Erase(std::size_t index)
    {
        T** items = Items();
        std::memmove(items + index, items + index + 1, (FCount - index - 1) * sizeof(T*));
        --FCount;
    }

    std::uint32_t FCount = 0;
    std::uint32_t FCapacity = 0;
    unsigned char FItems[sizeof(T**)] = {};
};

class TJSONObject : public TJSONValue {
  public:
    std::size_t Count() const { return FMembers.size(); }
    // index < Count()
    TJSONPair& Pair(std::size_t index) const { return *FMembers[index]; }
    const TJSONNodeList<TJSONPair>& Members() const { return FMembers; }

  private:
    friend class TJSONTree;
    friend class TJSONNewNode;
    TJSONObject() : TJSONValue(TJSONKind::jkObject) {}
    // Set while the object has a member index in its tree (JSONMemberIndex.h).
    bool Indexed() const { return Flag(); }

    TJSONNodeList<TJSONPair> FMembers;
};

class TJSONArray : public TJSONValue {
  public:
    std::size_t Count() const { return FElements.size(); }
    // index < Count()
    TJSONValue& Element(std::size_t index) const { return *FElements[index]; }

  private:
    friend class TJSONTree;
    friend class TJSONNewNode;
    TJSONArray() : TJSONValue(TJSONKind::jkArray) {}

    TJSONNodeList<TJSONValue> FElements;
};

// One member of an object: key and value, a node of its own with its own handle. The key's
// units follow the head word, and the value node follows the key in the same block.
class TJSONPair : public TJSONAncestor {
  public:
    std::u16string_view Key() const { return {static_cast<const char16_t*>(TextUnits()), TextLength()}; }
    const TJSONValue& JsonValue() const { return *reinterpret_cast<const TJSONValue*>(ValueAddress()); }
    TJSONValue& JsonValue() { return const_cast<TJSONValue&>(std::as_const(*this).JsonValue()); }

    // Where the value starts in a block whose key has `keyLength` units.
    static std::size_t ValueOffset(std::size_t keyLength);

  private:
    friend class TJSONTree;
    explicit TJSONPair(std::u16string_view key) : TJSONAncestor(TJSONKind::jkPair)
    {
        void* out = InitText(key.size());
        if (!key.empty())
            std::memcpy(out, key.data(), key.size() * sizeof(char16_t));
    }
    const char* ValueAddress() const
    {
        return reinterpret_cast<const char*>(this) + ValueOffset(TextLength());
    }
};

// The bytes a value node of `kind` takes, with a text of `textLength` units for a string
// or a number.
std::size_t JSONNodeBytes(TJSONKind kind, std::size_t textLength);

// What a new node is to be. Trees make nodes only where they are to live (JSONTree.h), so
// the building calls take the description and the tree makes the node in place.
class TJSONNewNode {
  public:
    static TJSONNewNode Object() { return TJSONNewNode(TJSONKind::jkObject); }
    static TJSONNewNode Array() { return TJSONNewNode(TJSONKind::jkArray); }
    static TJSONNewNode Null() { return TJSONNewNode(TJSONKind::jkNull); }
    // A boolean made by a building method: TJSONBool itself.
    static TJSONNewNode Bool(bool value) { return TJSONNewNode(TJSONKind::jkBool, value); }
    // The literal true or false of a parsed text: TJSONTrue or TJSONFalse.
    static TJSONNewNode Literal(bool value)
    {
        TJSONNewNode node(TJSONKind::jkBool, value);
        node.FLiteral = true;
        return node;
    }
    static TJSONNewNode String(std::u16string_view text);
    // `text` must be a valid JSON number (ASCII); it is kept as it is.
    static TJSONNewNode Number(std::string_view text);
    static TJSONNewNode Number(std::u16string_view text);

    TJSONKind Kind() const { return FKind; }
    // The bytes the node takes.
    std::size_t Bytes() const;
    // Makes the node in `bytes()` bytes at `place`, aligned as a node.
    TJSONValue& MakeAt(void* place) const;

  private:
    explicit TJSONNewNode(TJSONKind kind, bool flag = false) : FKind(kind), FFlag(flag) {}

    TJSONKind FKind;
    bool FFlag;            // a bool's value
    bool FLiteral = false; // a parsed true or false
    bool FWide = false;    // the units are char16_t (else char)
    const void* FUnits = nullptr;
    std::size_t FLength = 0;
};

} // namespace bramolt::json
