#include "json/JSONTree.h"

#include "json/JSONError.h"
#include "json/JSONHandleTable.h"
#include "json/JSONMemberIndex.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace bramolt::json {

namespace {

void RequireListed(bool listed)
{
    if (!listed)
        throw EJSONError("JSON node missing from its parent");
}

} // namespace

TJSONTree::~TJSONTree()
{
    if (FHandleTable != nullptr)
        for (const auto& [node, handle] : FHandles)
            FHandleTable->Drop(handle);
}

std::size_t TJSONTree::MemberBytes(std::u16string_view key, const TJSONNewNode& value)
{
    return TJSONPair::ValueOffset(key.size()) + value.Bytes();
}

std::size_t TJSONTree::NodeBytes(const TJSONValue& value)
{
    return JSONNodeBytes(value.Kind(), value.IsString() ? value.TextLength() : 0);
}

std::size_t TJSONTree::MemberBytes(const TJSONPair& pair)
{
    return TJSONPair::ValueOffset(pair.TextLength()) + NodeBytes(pair.JsonValue());
}

TJSONPair& TJSONTree::NewMember(std::u16string_view key, const TJSONNewNode& value)
{
    const std::size_t bytes = MemberBytes(key, value);
    void* p = Allocate(bytes);
    try {
        auto& pair = *new (p) TJSONPair(key);
        value.MakeAt(&pair.JsonValue());
        return pair;
    } catch (...) {
        Deallocate(p, bytes);
        throw;
    }
}

TJSONValue& TJSONTree::NewElement(const TJSONNewNode& value)
{
    const std::size_t bytes = value.Bytes();
    void* p = Allocate(bytes);
    try {
        return value.MakeAt(p);
    } catch (...) {
        Deallocate(p, bytes);
        throw;
    }
}

TJSONValue& TJSONTree::MakeRoot(const TJSONNewNode& value)
{
    if (FRoot != nullptr)
        throw EJSONError("A JSON tree has one root");
    FRoot = &NewElement(value);
    return *FRoot;
}

template <typename T> std::span<T*> TJSONTree::SetCount(TJSONNodeList<T>& list, std::size_t count)
{
    if (count > TJSONAncestor::kMaxSize)
        throw EJSONError("Too many JSON members or elements");
    ReleaseList(list);
    if (count != 0) {
        list.SetItems(static_cast<T**>(FArena.allocate(count * sizeof(T*), TJSONArena::kGrain)));
        list.FCount = list.FCapacity = static_cast<std::uint32_t>(count);
    }
    return {list.Items(), count};
}

template <typename T> void TJSONTree::Push(TJSONNodeList<T>& list, T* item)
{
    if (list.FCount == list.FCapacity) {
        if (list.FCapacity >= TJSONAncestor::kMaxSize)
            throw EJSONError("Too many JSON members or elements");
        const std::uint32_t capacity =
            std::max<std::uint32_t>(4, std::min<std::uint32_t>(2 * list.FCapacity, TJSONAncestor::kMaxSize));
        auto** items = static_cast<T**>(FArena.allocate(capacity * sizeof(T*), TJSONArena::kGrain));
        if (list.FCount != 0) {
            std::memcpy(items, list.Items(), list.FCount * sizeof(T*));
            FArena.deallocate(list.Items(), list.FCapacity * sizeof(T*), TJSONArena::kGrain);
        }
        list.SetItems(items);
        list.FCapacity = capacity;
    }
    list.Items()[list.FCount++] = item;
}

template <typename T> void TJSONTree::ReleaseList(TJSONNodeList<T>& list)
{
    if (list.FCapacity != 0)
        FArena.deallocate(list.Items(), list.FCapacity * sizeof(T*), TJSONArena::kGrain);
    list.SetItems(nullptr);
    list.FCount = list.FCapacity = 0;
}

std::span<TJSONPair*> TJSONTree::SetMemberCount(TJSONObject& object, std::size_t count)
{
    return SetCount(object.FMembers, count);
}

std::span<TJSONValue*> TJSONTree::SetElementCount(TJSONArray& array, std::size_t count)
{
    return SetCount(array.FElements, count);
}

TJSONPair& TJSONTree::AddMember(TJSONObject& object, std::u16string_view key, const TJSONNewNode& value)
{
    TJSONPair& pair = NewMember(key, value);
    try {
        Push(object.FMembers, &pair);
    } catch (...) {
        Deallocate(&pair, MemberBytes(key, value));
        throw;
    }
    if (object.Indexed()) {
        try {
            IndexOf(object)->Added(pair);
        } catch (...) {
            DropIndex(object); // made again by the next lookup
        }
    }
    return pair;
}

TJSONValue& TJSONTree::AddElement(TJSONArray& array, const TJSONNewNode& value)
{
    TJSONValue& element = NewElement(value);
    try {
        Push(array.FElements, &element);
    } catch (...) {
        Deallocate(&element, value.Bytes());
        throw;
    }
    return element;
}

TJSONValue* TJSONTree::Find(TJSONObject& object, std::u16string_view key)
{
    if (object.Count() >= TJSONMemberIndex::kMinMembers) {
        const TJSONMemberIndex* index = object.Indexed() ? IndexOf(object) : &MakeIndex(object);
        TJSONPair* pair = index->Find(key);
        return pair != nullptr ? &pair->JsonValue() : nullptr;
    }
    for (TJSONPair* pair : object.Members())
        if (pair->Key() == key)
            return &pair->JsonValue();
    return nullptr;
}

void TJSONTree::Free(TJSONValue& holder, TJSONAncestor& node)
{
    // Search from the end: the node freed is most often the one added last.
    if (holder.IsArray()) {
        auto& elements = static_cast<TJSONArray&>(holder).FElements;
        std::size_t i = elements.size();
        while (i-- > 0 && elements[i] != &node) {
        }
        RequireListed(i < elements.size());
        elements.Erase(i);
        Release(node);
        return;
    }
    RequireListed(holder.IsObject());
    auto& object = static_cast<TJSONObject&>(holder);
    auto& members = object.FMembers;
    std::size_t i = members.size();
    while (i-- > 0 && members[i] != &node && &members[i]->JsonValue() != &node) {
    }
    RequireListed(i < members.size());
    TJSONPair& pair = *members[i];
    members.Erase(i);
    if (object.Indexed())
        IndexOf(object)->Removed(object, pair);
    Release(pair);
}

void TJSONTree::ForgetHandle(TJSONAncestor& node)
{
    if (node.HasHandle())
        FHandleTable->Forget(node, *this);
}

// Visits the nodes below `unit` without recursion (a tree built node by node can be far
// deeper than the parser's nesting limit) and gives every block back to the arena. Only
// handles and member indexes need attention; nothing else has a destructor.
void TJSONTree::Release(TJSONAncestor& unit)
{
    std::vector<TJSONAncestor*> pending{&unit};
    while (!pending.empty()) {
        TJSONAncestor& block = *pending.back();
        pending.pop_back();
        ForgetHandle(block);
        TJSONValue& value =
            block.IsPair() ? static_cast<TJSONPair&>(block).JsonValue() : static_cast<TJSONValue&>(block);
        if (&value != &block)
            ForgetHandle(value);
        if (value.IsObject()) {
            auto& object = static_cast<TJSONObject&>(value);
            if (object.Indexed())
                DropIndex(object);
            pending.insert(pending.end(), object.FMembers.begin(), object.FMembers.end());
            ReleaseList(object.FMembers);
        } else if (value.IsArray()) {
            auto& array = static_cast<TJSONArray&>(value);
            pending.insert(pending.end(), array.FElements.begin(), array.FElements.end());
            ReleaseList(array.FElements);
        }
        Deallocate(&block, block.IsPair() ? MemberBytes(static_cast<TJSONPair&>(block)) : NodeBytes(value));
    }
}

TJSONMemberIndex* TJSONTree::IndexOf(const TJSONObject& object)
{
    const auto it = FIndexes.find(&object);
    return it == FIndexes.end() ? nullptr : it->second;
}

TJSONMemberIndex& TJSONTree::MakeIndex(TJSONObject& object)
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
    object.SetFlag(true);
    return *index;
}

void TJSONTree::DropIndex(TJSONObject& object)
{
    const auto it = FIndexes.find(&object);
    if (it != FIndexes.end()) {
        it->second->~TJSONMemberIndex();
        FArena.deallocate(it->second, sizeof(TJSONMemberIndex), alignof(TJSONMemberIndex));
        FIndexes.erase(it);
    }
    object.SetFlag(false);
}

TJSONRoot TJSONRoot::Make(const TJSONNewNode& value)
{
    auto tree = std::make_unique<TJSONTree>();
    tree->MakeRoot(value);
    return TJSONRoot(std::move(tree));
}

} // namespace bramolt::json
