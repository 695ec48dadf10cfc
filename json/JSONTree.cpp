#include "json/JSONTree.h"

#include "json/JSONError.h"
#include "json/JSONHandleTable.h"
#include "json/JSONMemberIndex.h"

#include <vector>

namespace bramolt::json {

// The layouts are the compiler's own, so offsetof is asked even for these classes.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
const std::size_t TJSONTree::kStringTextOffset = offsetof(TJSONString, FValue) + sizeof(TJSONText);
const std::size_t TJSONTree::kPairTextOffset = offsetof(TJSONPair, FJsonString) + kStringTextOffset;
#pragma GCC diagnostic pop

TJSONTree::~TJSONTree()
{
    if (FHandleTable != nullptr)
        for (std::uint32_t handle : FHandles)
            FHandleTable->Drop(handle);
}

void TJSONTree::SetRoot(TJSONValue& root)
{
    if (root.Parent() != nullptr || &root.Tree() != this)
        throw EJSONError("Only a node of this tree without a parent can be its root");
    FRoot = &root;
}

TJSONBool& TJSONTree::NewBool(bool value)
{
    return Loose(*new (Allocate(sizeof(TJSONBool))) TJSONBool(value));
}

TJSONString& TJSONTree::NewString(std::u16string_view text)
{
    const std::size_t bytes = TJSONText::NodeBytes(kStringTextOffset, text.size());
    void* p = Allocate(bytes);
    try {
        return Loose(*new (p) TJSONString(TJSONKind::jkString, text));
    } catch (...) {
        Deallocate(p, bytes);
        throw;
    }
}

TJSONNumber& TJSONTree::NewNumber(std::u16string_view text)
{
    const std::size_t bytes = TJSONText::NodeBytes(kStringTextOffset, text.size());
    void* p = Allocate(bytes);
    try {
        return Loose(*new (p) TJSONNumber(text));
    } catch (...) {
        Deallocate(p, bytes);
        throw;
    }
}

TJSONPair& TJSONTree::NewPair(std::u16string_view key, TJSONValue* value)
{
    const std::size_t bytes = TJSONText::NodeBytes(kPairTextOffset, key.size());
    void* p = Allocate(bytes);
    try {
        return Loose(*new (p) TJSONPair(key, value));
    } catch (...) {
        Deallocate(p, bytes);
        throw;
    }
}

void TJSONTree::SetMemberValue(TJSONPair& pair, TJSONValue& value)
{
    pair.FJsonValue = &value;
    AttachTo(pair, value);
}

void TJSONTree::SetMembers(TJSONObject& object, TJSONPair* const* members, std::size_t count)
{
    object.FMembers.Assign(FArena, members, count);
}

void TJSONTree::SetElements(TJSONArray& array, TJSONValue* const* elements, std::size_t count)
{
    array.FElements.Assign(FArena, elements, count);
}

std::size_t TJSONTree::NodeBytes(const TJSONAncestor& node)
{
    switch (node.Kind()) {
    case TJSONKind::jkObject:
        return sizeof(TJSONObject);
    case TJSONKind::jkArray:
        return sizeof(TJSONArray);
    case TJSONKind::jkPair:
        return TJSONText::NodeBytes(kPairTextOffset, static_cast<const TJSONPair&>(node).Key().size());
    case TJSONKind::jkString:
    case TJSONKind::jkNumber:
        return TJSONText::NodeBytes(kStringTextOffset, static_cast<const TJSONString&>(node).Value().size());
    case TJSONKind::jkBool:
        return sizeof(TJSONBool);
    case TJSONKind::jkNull:
        return sizeof(TJSONNull);
    }
    return 0;
}

bool TJSONTree::Detach(TJSONAncestor& unit)
{
    TJSONAncestor* parent = unit.Parent();
    if (parent == nullptr)
        return false;
    // Search from the end: the node freed is most often the one added last.
    const auto indexOf = [&unit](const auto& list) {
        std::size_t i = list.size();
        while (i-- > 0)
            if (list[i] == &unit)
                return i;
        throw EJSONError("JSON node missing from its parent");
    };
    if (parent->IsArray()) {
        auto& elements = static_cast<TJSONArray*>(parent)->FElements;
        elements.Erase(indexOf(elements));
    } else if (parent->IsObject()) {
        auto& object = *static_cast<TJSONObject*>(parent);
        object.FMembers.Erase(indexOf(object.FMembers));
        if (object.FIndexed)
            IndexOf(object)->Removed(object, static_cast<TJSONPair&>(unit));
    } else {
        return false; // the key or value of a pair: detach the pair instead (JSONFreeUnit)
    }
    Loose(unit);
    return true;
}

void TJSONTree::Free(TJSONAncestor& node)
{
    TJSONAncestor& unit = JSONFreeUnit(node);
    if (unit.Parent() != nullptr && !Detach(unit))
        return;
    if (&unit == FRoot)
        FRoot = nullptr;
    Release(unit);
}

// Visits the nodes below `node` without recursion (a tree built node by node can be far
// deeper than the parser's nesting limit) and gives every block back to the arena. Only
// handles and member indexes need attention; nothing else has a destructor.
void TJSONTree::Release(TJSONAncestor& node)
{
    std::vector<TJSONAncestor*> pending{&node};
    while (!pending.empty()) {
        TJSONAncestor* n = pending.back();
        pending.pop_back();
        if (n->FHandle != 0)
            FHandleTable->Forget(*n, *this);
        switch (n->Kind()) {
        case TJSONKind::jkObject: {
            auto& object = static_cast<TJSONObject&>(*n);
            if (object.FIndexed)
                DropIndex(object);
            pending.insert(pending.end(), object.FMembers.begin(), object.FMembers.end());
            object.FMembers.Release(FArena);
            break;
        }
        case TJSONKind::jkArray: {
            auto& array = static_cast<TJSONArray&>(*n);
            pending.insert(pending.end(), array.FElements.begin(), array.FElements.end());
            array.FElements.Release(FArena);
            break;
        }
        case TJSONKind::jkPair: {
            auto& pair = static_cast<TJSONPair&>(*n);
            if (pair.FJsonString.FHandle != 0)
                FHandleTable->Forget(pair.FJsonString, *this);
            if (pair.FJsonValue != nullptr)
                pending.push_back(pair.FJsonValue);
            break;
        }
        default:
            break;
        }
        Deallocate(n, NodeBytes(*n));
    }
}

TJSONMemberIndex* TJSONTree::IndexOf(const TJSONObject& object)
{
    const auto it = FIndexes.find(&object);
    return it == FIndexes.end() ? nullptr : it->second;
}

TJSONMemberIndex& TJSONTree::MakeIndex(const TJSONObject& object)
{
    FIndexes.reserve(FIndexes.size() + 1); // the emplace below cannot fail then
    void* p = FArena.allocate(sizeof(TJSONMemberIndex), alignof(TJSONMemberIndex));
    TJSONMemberIndex* index;
    try {
        index = new (p) TJSONMemberIndex(object, FArena);
    } catch (...) {
        FArena.deallocate(p, sizeof(TJSONMemberIndex), alignof(TJSONMemberIndex));
        throw;
    }
    FIndexes.emplace(&object, index);
    object.FIndexed = true;
    return *index;
}

void TJSONTree::DropIndex(const TJSONObject& object)
{
    const auto it = FIndexes.find(&object);
    if (it != FIndexes.end()) {
        it->second->~TJSONMemberIndex();
        FArena.deallocate(it->second, sizeof(TJSONMemberIndex), alignof(TJSONMemberIndex));
        FIndexes.erase(it);
    }
    object.FIndexed = false;
}

} // namespace bramolt::json
