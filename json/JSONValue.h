#pragma once

// The JSON node model. Every node lives in the memory of one tree (JSONTree.h) and stays
// in that tree for its whole life; containers list their children and every node knows
// its parent, so that a node can be taken out of its tree and its memory reused. Nodes
// have no destructors: a tree releases its memory at once.

#include <cstddef>
#include <cstdint>
#include <string_view>

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

    TJSONKind Kind() const { return FKind; }
    // The node that owns this one; nullptr for a root and for a node not attached yet.
    TJSONAncestor* Parent() const { return FUp & kTreeTag ? nullptr : reinterpret_cast<TJSONAncestor*>(FUp); }
    // The tree whose memory holds this node.
    TJSONTree& Tree() const;
    // The handle issued for this node, 0 while none has been issued.
    std::uint32_t Handle() const { return FHandle; }

    // Kind tests follow the class tree: a number is also a string, TJSONTrue is a bool.
    bool IsValue() const { return FKind != TJSONKind::jkPair; }
    bool IsObject() const { return FKind == TJSONKind::jkObject; }
    bool IsArray() const { return FKind == TJSONKind::jkArray; }
    bool IsPair() const { return FKind == TJSONKind::jkPair; }
    bool IsString() const { return FKind == TJSONKind::jkString || FKind == TJSONKind::jkNumber; }
    bool IsNumber() const { return FKind == TJSONKind::jkNumber; }
    bool IsBool() const { return FKind == TJSONKind::jkBool; }
    bool IsNull() const { return FKind == TJSONKind::jkNull; }

  protected:
    explicit TJSONAncestor(TJSONKind kind) : FKind(kind) {}
    ~TJSONAncestor() = default;

  private:
    friend class TJSONHandleTable;
    friend class TJSONTree;
    friend class TJSONObject;
    friend class TJSONArray;
    friend class TJSONPair;

    // The parent's address, or for a node without a parent its tree's address with the
    // low bit set: every node finds its tree in a few steps up without a field for it.
    static constexpr std::uintptr_t kTreeTag = 1;
    std::uintptr_t FUp = 0;
    std::uint32_t FHandle = 0;
    TJSONKind FKind;

  protected:
    // Set on an object that has a member index in its tree (JSONMemberIndex.h).
    mutable bool FIndexed = false;

  public:
    // Always true: the node that holds this one frees it.
    bool FOwned = true;
};

class TJSONValue : public TJSONAncestor {
  protected:
    using TJSONAncestor::TJSONAncestor;
};

// A text kept inside the node that owns it, its units right after the length; the node
// is allocated with room for them.
class TJSONText {
  public:
    std::u16string_view View() const { return {Units(), FLength}; }
    operator std::u16string_view() const { return View(); }

    // Bytes a node needs for a text of `length` units that starts at offset `offset`.
    static std::size_t NodeBytes(std::size_t offset, std::size_t length);

  private:
    friend class TJSONString;
    explicit TJSONText(std::u16string_view text);
    const char16_t* Units() const { return reinterpret_cast<const char16_t*>(this + 1); }
    std::uint32_t FLength;
};

class TJSONString : public TJSONValue {
  public:
    std::u16string_view Value() const { return FValue.View(); }

    // Always false for strings this system makes; kept for the shape of the node model.
    const bool FIsNull = false;
    // Fixed at creation: a number's text must stay valid JSON for the printer. Must stay
    // the last field: the units follow it.
    const TJSONText FValue;

  protected:
    friend class TJSONTree;
    friend class TJSONPair;
    TJSONString(TJSONKind kind, std::u16string_view value) : TJSONValue(kind), FValue(value) {}
};

// A number keeps its text exactly as written or made (ASCII in FValue); it is read as a
// double only when asked for (JSONNumberText.h).
class TJSONNumber : public TJSONString {
  private:
    friend class TJSONTree;
    explicit TJSONNumber(std::u16string_view text) : TJSONString(TJSONKind::jkNumber, text) {}
};

class TJSONBool : public TJSONValue {
  public:
    bool Value() const { return FValue; }

    const bool FValue;

  protected:
    friend class TJSONTree;
    explicit TJSONBool(bool value) : TJSONValue(TJSONKind::jkBool), FValue(value) {}
};

// The classes the parser makes for the literals true and false.
class TJSONTrue : public TJSONBool {
  private:
    friend class TJSONTree;
    TJSONTrue() : TJSONBool(true) {}
};

class TJSONFalse : public TJSONBool {
  private:
    friend class TJSONTree;
    TJSONFalse() : TJSONBool(false) {}
};

class TJSONNull : public TJSONValue {
  private:
    friend class TJSONTree;
    TJSONNull() : TJSONValue(TJSONKind::jkNull) {}
};

// The children of a container: an array of node addresses in the tree's memory.
template <typename T> class TJSONNodeList {
  public:
    std::size_t size() const { return FCount; }
    bool empty() const { return FCount == 0; }
    T* operator[](std::size_t index) const { return FItems[index]; }
    T* const* begin() const { return FItems; }
    T* const* end() const { return FItems + FCount; }

  private:
    friend class TJSONTree;
    friend class TJSONObject;
    friend class TJSONArray;
    void Push(TJSONArena& arena, T* item);
    void Assign(TJSONArena& arena, T* const* items, std::size_t count);
    void Erase(std::size_t index);
    void Release(TJSONArena& arena);

    T** FItems = nullptr;
    std::uint32_t FCount = 0;
    std::uint32_t FCapacity = 0;
};

class TJSONObject : public TJSONValue {
  public:
    std::size_t Count() const { return FMembers.size(); }
    // index < Count()
    TJSONPair& Pair(std::size_t index) const { return *FMembers[index]; }
    const TJSONNodeList<TJSONPair>& Members() const { return FMembers; }

    // Appends the member `key`: `value` (a node of this tree not attached anywhere).
    // Keys are not compared, a repeated key gives a second member. Throws EJSONError when
    // `value` is attached or from another tree; when adding fails, `value` is released.
    TJSONPair& AddPair(std::u16string_view key, TJSONValue& value);
    // The value of the first member whose key equals `key` code unit by code unit.
    TJSONValue* Find(std::u16string_view key) const;

    TJSONTree& Tree() const { return *FTree; }

  private:
    friend class TJSONTree;
    friend class TJSONMemberIndex;
    explicit TJSONObject(TJSONTree& tree) : TJSONValue(TJSONKind::jkObject), FTree(&tree) {}

    TJSONTree* FTree;
    TJSONNodeList<TJSONPair> FMembers;
};

class TJSONArray : public TJSONValue {
  public:
    std::size_t Count() const { return FElements.size(); }
    // index < Count()
    TJSONValue& Element(std::size_t index) const { return *FElements[index]; }
    const TJSONNodeList<TJSONValue>& Elements() const { return FElements; }

    // Appends `value` (a node of this tree not attached anywhere); throws EJSONError when
    // it is attached or from another tree; when adding fails, `value` is released.
    TJSONValue& AddElement(TJSONValue& value);

    TJSONTree& Tree() const { return *FTree; }

  private:
    friend class TJSONTree;
    explicit TJSONArray(TJSONTree& tree) : TJSONValue(TJSONKind::jkArray), FTree(&tree) {}

    TJSONTree* FTree;
    TJSONNodeList<TJSONValue> FElements;
};

// One member of an object: key and value, a node of its own with its own handle. The key
// string is part of the pair itself, its text right behind it; it is still a node, with
// the pair as parent.
class TJSONPair : public TJSONAncestor {
  public:
    const TJSONString& JsonString() const { return FJsonString; }
    TJSONString& JsonString() { return FJsonString; }
    const TJSONValue& JsonValue() const { return *FJsonValue; }
    TJSONValue& JsonValue() { return *FJsonValue; }
    std::u16string_view Key() const { return FJsonString.Value(); }

  private:
    friend class TJSONTree;
    TJSONPair(std::u16string_view key, TJSONValue* value);

    TJSONValue* FJsonValue;
    TJSONString FJsonString; // last: the key's units follow it
};

// What freeing `node` must take away: the node itself, or for the key or the value of a
// pair the whole pair (an object never holds a pair without both).
TJSONAncestor& JSONFreeUnit(TJSONAncestor& node);

} // namespace bramolt::json
