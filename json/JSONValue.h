#pragma once

// The JSON node model: a tree of values in which every container owns its children
// through std::unique_ptr and every node knows its parent, so that a node can be
// taken out of its tree before it is freed.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bramolt::json {

class TJSONHandleTable;
class TJSONPair;

// Concrete shape of a node, kept in the node so that the printer and the kind tests
// need neither virtual calls nor dynamic_cast. TJSONTrue and TJSONFalse are jkBool.
enum class TJSONKind : std::uint8_t { jkObject, jkArray, jkPair, jkString, jkNumber, jkBool, jkNull };

class TJSONAncestor {
  public:
    TJSONAncestor(const TJSONAncestor&) = delete;
    TJSONAncestor& operator=(const TJSONAncestor&) = delete;
    virtual ~TJSONAncestor();

    TJSONKind Kind() const { return FKind; }
    // The node that owns this one, nullptr for a root.
    TJSONAncestor* Parent() const { return FParent; }
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
    // Throws EJSONError for a null node.
    static void RequireRoot(const TJSONAncestor* node);

  private:
    friend class TJSONHandleTable;
    friend class TJSONObject;
    friend class TJSONPair;
    friend class TJSONArray;
    friend std::unique_ptr<TJSONAncestor> DetachJSONNode(TJSONAncestor& unit);

    TJSONAncestor* FParent = nullptr;
    TJSONHandleTable* FHandleTable = nullptr; // set together with FHandle
    std::uint32_t FHandle = 0;
    TJSONKind FKind;

  public:
    // Always true: the node that holds this one frees it. Ownership itself is carried by
    // the std::unique_ptr members of the containers. (Declared after the private fields so
    // that the small fields share one word: a string node is 64 bytes, a pair 48.)
    bool FOwned = true;
};

class TJSONValue : public TJSONAncestor {
  protected:
    using TJSONAncestor::TJSONAncestor;
};

class TJSONString : public TJSONValue {
  public:
    explicit TJSONString(std::u16string value = {}) : TJSONString(TJSONKind::jkString, std::move(value)) {}
    const std::u16string& Value() const { return FValue; }

    // Always false for strings this system makes; kept for the shape of the node model.
    // (Before FValue: it fits in the padding of the base.)
    const bool FIsNull = false;
    // Fixed at creation: a number's text must stay valid JSON for the printer.
    const std::u16string FValue;

  protected:
    TJSONString(TJSONKind kind, std::u16string value) : TJSONValue(kind), FValue(std::move(value)) {}
};

// A number keeps its text exactly as written or made (ASCII in FValue); it is read as a
// double only when asked for (JSONNumberText.h).
class TJSONNumber : public TJSONString {
  public:
    explicit TJSONNumber(std::u16string text) : TJSONString(TJSONKind::jkNumber, std::move(text)) {}
};

class TJSONBool : public TJSONValue {
  public:
    explicit TJSONBool(bool value) : TJSONValue(TJSONKind::jkBool), FValue(value) {}
    bool Value() const { return FValue; }

    const bool FValue;
};

// The classes the parser makes for the literals true and false.
class TJSONTrue : public TJSONBool {
  public:
    TJSONTrue() : TJSONBool(true) {}
};

class TJSONFalse : public TJSONBool {
  public:
    TJSONFalse() : TJSONBool(false) {}
};

class TJSONNull : public TJSONValue {
  public:
    TJSONNull() : TJSONValue(TJSONKind::jkNull) {}
};

// One member of an object. Always holds a key and a value; it owns both. The key string
// is part of the pair itself (every pair has exactly one, for its whole life), which
// saves an allocation per member; it is still a node of its own, with the pair as parent.
class TJSONPair : public TJSONAncestor {
  public:
    // `value` must have no parent; throws EJSONError when it is null.
    TJSONPair(std::u16string key, std::unique_ptr<TJSONValue> value);
    ~TJSONPair() override;

    const TJSONString& JsonString() const { return FJsonString; }
    TJSONString& JsonString() { return FJsonString; }
    const TJSONValue& JsonValue() const { return *FJsonValue; }
    TJSONValue& JsonValue() { return *FJsonValue; }
    const std::u16string& Key() const { return FJsonString.FValue; }

  private:
    friend void ReleaseJSONChildren(TJSONAncestor& node);
    TJSONString FJsonString;
    std::unique_ptr<TJSONValue> FJsonValue;
};

class TJSONObject : public TJSONValue {
  public:
    TJSONObject() : TJSONValue(TJSONKind::jkObject) {}
    ~TJSONObject() override;

    std::size_t Count() const { return FMembers.size(); }
    // index < Count()
    TJSONPair& Pair(std::size_t index) const { return *FMembers[index]; }
    const std::vector<std::unique_ptr<TJSONPair>>& Members() const { return FMembers; }

    // Appends a member; keys are not compared, a repeated key gives a second member.
    TJSONPair& AddPair(std::u16string key, std::unique_ptr<TJSONValue> value);
    // A pair without a parent; throws EJSONError when it is null.
    TJSONPair& AddPair(std::unique_ptr<TJSONPair> pair);
    void Reserve(std::size_t count) { FMembers.reserve(count); }
    // The value of the first member whose key equals `key` code unit by code unit.
    TJSONValue* Find(std::u16string_view key) const;

  private:
    friend void ReleaseJSONChildren(TJSONAncestor& node);
    friend std::unique_ptr<TJSONAncestor> DetachJSONNode(TJSONAncestor& unit);
    std::vector<std::unique_ptr<TJSONPair>> FMembers;
};

class TJSONArray : public TJSONValue {
  public:
    TJSONArray() : TJSONValue(TJSONKind::jkArray) {}
    ~TJSONArray() override;

    std::size_t Count() const { return FElements.size(); }
    // index < Count()
    TJSONValue& Element(std::size_t index) const { return *FElements[index]; }
    const std::vector<std::unique_ptr<TJSONValue>>& Elements() const { return FElements; }

    // A value without a parent; throws EJSONError when it is null.
    TJSONValue& AddElement(std::unique_ptr<TJSONValue> value);
    void Reserve(std::size_t count) { FElements.reserve(count); }

  private:
    friend void ReleaseJSONChildren(TJSONAncestor& node);
    friend std::unique_ptr<TJSONAncestor> DetachJSONNode(TJSONAncestor& unit);
    std::vector<std::unique_ptr<TJSONValue>> FElements;
};

// What freeing `node` must take away: the node itself, or for the key or the value of a
// pair the whole pair (an object never holds a pair without both).
TJSONAncestor& JSONFreeUnit(TJSONAncestor& node);

// Takes `unit` (an array element or an object member, see JSONFreeUnit) out of its parent
// and hands over its ownership. Returns nullptr when `unit` has no parent.
std::unique_ptr<TJSONAncestor> DetachJSONNode(TJSONAncestor& unit);

} // namespace bramolt::json
