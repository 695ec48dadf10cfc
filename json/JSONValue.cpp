#include "json/JSONValue.h"

#include "json/JSONError.h"
#include "json/JSONHandleTable.h"

#include <algorithm>
#include <cassert>

namespace bramolt::json {

namespace {

// True for a node whose destruction would reach more than one level further down.
bool IsDeep(const TJSONAncestor* node)
{
    switch (node->Kind()) {
    case TJSONKind::jkObject:
        return static_cast<const TJSONObject*>(node)->Count() != 0;
    case TJSONKind::jkArray:
        return static_cast<const TJSONArray*>(node)->Count() != 0;
    case TJSONKind::jkPair:
        return IsDeep(&static_cast<const TJSONPair*>(node)->JsonValue());
    default:
        return false;
    }
}

} // namespace

// A node enters a container only as a root (a node never moves from one parent to
// another); a unique_ptr to a node that has a parent would be a second owner, so that
// case is the caller's fault and only asserted.
void TJSONAncestor::RequireRoot(const TJSONAncestor* node)
{
    if (node == nullptr)
        throw EJSONError("A JSON node to add is missing");
    assert(node->FParent == nullptr);
}

// Containers free their children without recursion: trees built node by node can be far
// deeper than the parser's nesting limit, and a recursive destructor would overflow the
// stack. The walk takes children out from the last one, descends into any child that
// still owns nodes, and lets every node die only once it is empty. Its stack holds one
// entry per level, not per node.
void ReleaseJSONChildren(TJSONAncestor& node)
{
    auto takeLastChild = [](TJSONAncestor& n) -> std::unique_ptr<TJSONAncestor> {
        std::unique_ptr<TJSONAncestor> child;
        switch (n.Kind()) {
        case TJSONKind::jkObject: {
            auto& members = static_cast<TJSONObject&>(n).FMembers;
            if (!members.empty()) {
                child = std::move(members.back());
                members.pop_back();
            }
            break;
        }
        case TJSONKind::jkArray: {
            auto& elements = static_cast<TJSONArray&>(n).FElements;
            if (!elements.empty()) {
                child = std::move(elements.back());
                elements.pop_back();
            }
            break;
        }
        case TJSONKind::jkPair:
            child = std::move(static_cast<TJSONPair&>(n).FJsonValue);
            break; // the key is a leaf
        default:
            break;
        }
        return child;
    };
    std::vector<std::unique_ptr<TJSONAncestor>> emptying;
    TJSONAncestor* current = &node;
    for (;;) {
        if (std::unique_ptr<TJSONAncestor> child = takeLastChild(*current)) {
            if (IsDeep(child.get())) {
                emptying.push_back(std::move(child));
                current = emptying.back().get();
            }
            continue; // a shallow child has died here
        }
        if (emptying.empty())
            return;
        emptying.pop_back(); // empty now: dies without descending
        current = emptying.empty() ? &node : emptying.back().get();
    }
}

TJSONAncestor::~TJSONAncestor()
{
    if (FHandle != 0)
        FHandleTable->Forget(*this);
}

TJSONPair::TJSONPair(std::u16string key, std::unique_ptr<TJSONValue> value)
    : TJSONAncestor(TJSONKind::jkPair), FJsonString(std::move(key)), FJsonValue(std::move(value))
{
    RequireRoot(FJsonValue.get());
    FJsonString.FParent = this;
    FJsonValue->FParent = this;
}

TJSONPair::~TJSONPair()
{
    if (FJsonValue && IsDeep(FJsonValue.get()))
        ReleaseJSONChildren(*this);
}

TJSONObject::~TJSONObject()
{
    if (IsDeep(this))
        ReleaseJSONChildren(*this);
}

TJSONPair& TJSONObject::AddPair(std::u16string key, std::unique_ptr<TJSONValue> value)
{
    return AddPair(std::make_unique<TJSONPair>(std::move(key), std::move(value)));
}

TJSONPair& TJSONObject::AddPair(std::unique_ptr<TJSONPair> pair)
{
    RequireRoot(pair.get());
    pair->FParent = this;
    FMembers.push_back(std::move(pair));
    return *FMembers.back();
}

TJSONValue* TJSONObject::Find(std::u16string_view key) const
{
    for (const auto& pair : FMembers)
        if (pair->Key() == key)
            return &pair->JsonValue();
    return nullptr;
}

TJSONArray::~TJSONArray()
{
    if (IsDeep(this))
        ReleaseJSONChildren(*this);
}

TJSONValue& TJSONArray::AddElement(std::unique_ptr<TJSONValue> value)
{
    RequireRoot(value.get());
    value->FParent = this;
    FElements.push_back(std::move(value));
    return *FElements.back();
}

TJSONAncestor& JSONFreeUnit(TJSONAncestor& node)
{
    TJSONAncestor* parent = node.Parent();
    return parent != nullptr && parent->IsPair() ? *parent : node;
}

namespace {

template <typename T>
std::unique_ptr<TJSONAncestor> TakeOut(std::vector<std::unique_ptr<T>>& items, const TJSONAncestor& unit)
{
    // Search from the end: the node freed is most often the one added last.
    auto it =
        std::find_if(items.rbegin(), items.rend(), [&unit](const auto& item) { return item.get() == &unit; });
    assert(it != items.rend());
    std::unique_ptr<TJSONAncestor> owned = std::move(*it);
    items.erase(std::next(it).base());
    return owned;
}

} // namespace

std::unique_ptr<TJSONAncestor> DetachJSONNode(TJSONAncestor& unit)
{
    TJSONAncestor* parent = unit.FParent;
    if (parent == nullptr)
        return nullptr;
    std::unique_ptr<TJSONAncestor> owned;
    if (parent->IsArray())
        owned = TakeOut(static_cast<TJSONArray*>(parent)->FElements, unit);
    else if (parent->IsObject())
        owned = TakeOut(static_cast<TJSONObject*>(parent)->FMembers, unit);
    else
        return nullptr; // the key or value of a pair: detach the pair instead (JSONFreeUnit)
    unit.FParent = nullptr;
    return owned;
}

} // namespace bramolt::json
