#include "json/JSONValue.h"

#include "json/JSONError.h"
#include "json/JSONMemberIndex.h"
#include "json/JSONTree.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace bramolt::json {

TJSONTree& TJSONAncestor::Tree() const
{
    // At most three steps: a key to its pair, a pair to its object, a scalar to its
    // container; containers and parentless nodes know their tree.
    const TJSONAncestor* node = this;
    for (;;) {
        if (node->FUp & kTreeTag)
            return *reinterpret_cast<TJSONTree*>(node->FUp & ~kTreeTag);
        if (node->IsObject())
            return static_cast<const TJSONObject*>(node)->Tree();
        if (node->IsArray())
            return static_cast<const TJSONArray*>(node)->Tree();
        node = node->Parent();
    }
}

TJSONText::TJSONText(std::u16string_view text)
{
    if (text.size() > std::numeric_limits<std::uint32_t>::max())
        throw EJSONError("JSON text too long");
    FLength = static_cast<std::uint32_t>(text.size());
    std::memcpy(const_cast<char16_t*>(Units()), text.data(), text.size() * sizeof(char16_t));
}

std::size_t TJSONText::NodeBytes(std::size_t offset, std::size_t length)
{
    const std::size_t bytes = offset + length * sizeof(char16_t);
    return (bytes + TJSONArena::kGrain - 1) & ~(TJSONArena::kGrain - 1);
}

TJSONPair::TJSONPair(std::u16string_view key, TJSONValue* value)
    : TJSONAncestor(TJSONKind::jkPair), FJsonValue(value), FJsonString(TJSONKind::jkString, key)
{
    FJsonString.FUp = reinterpret_cast<std::uintptr_t>(this);
    if (value != nullptr)
        value->FUp = reinterpret_cast<std::uintptr_t>(this);
}

template <typename T> void TJSONNodeList<T>::Push(TJSONArena& arena, T* item)
{
    if (FCount == FCapacity) {
        if (FCapacity == std::numeric_limits<std::uint32_t>::max())
            throw EJSONError("Too many JSON members or elements");
        const std::uint32_t capacity =
            FCapacity < 4 ? 4
                          : static_cast<std::uint32_t>(std::min<std::uint64_t>(2ull * FCapacity, UINT32_MAX));
        auto** items = static_cast<T**>(arena.allocate(capacity * sizeof(T*), TJSONArena::kGrain));
        if (FItems != nullptr) {
            std::memcpy(items, FItems, FCount * sizeof(T*));
            arena.deallocate(FItems, FCapacity * sizeof(T*), TJSONArena::kGrain);
        }
        FItems = items;
        FCapacity = capacity;
    }
    FItems[FCount++] = item;
}

template <typename T> void TJSONNodeList<T>::Assign(TJSONArena& arena, T* const* items, std::size_t count)
{
    if (count > std::numeric_limits<std::uint32_t>::max())
        throw EJSONError("Too many JSON members or elements");
    Release(arena);
    if (count == 0)
        return;
    FItems = static_cast<T**>(arena.allocate(count * sizeof(T*), TJSONArena::kGrain));
    std::memcpy(FItems, items, count * sizeof(T*));
    FCount = FCapacity = static_cast<std::uint32_t>(count);
}

template <typename T> void TJSONNodeList<T>::Erase(std::size_t index)
{
    std::memmove(FItems + index, FItems + index + 1, (FCount - index - 1) * sizeof(T*));
    --FCount;
}

template <typename T> void TJSONNodeList<T>::Release(TJSONArena& arena)
{
    if (FItems != nullptr)
        arena.deallocate(FItems, FCapacity * sizeof(T*), TJSONArena::kGrain);
    FItems = nullptr;
    FCount = FCapacity = 0;
}

template class TJSONNodeList<TJSONPair>;
template class TJSONNodeList<TJSONValue>;

namespace {

// A node may enter a container only from the same tree and while it has no parent: a node
// never moves from one parent or tree to another.
void RequireLoose(const TJSONTree& tree, const TJSONValue& value)
{
    if (value.Parent() != nullptr || &value.Tree() != &tree || tree.Root() == &value)
        throw EJSONError("A JSON node can only be added once, to the tree it was made in");
}

} // namespace

TJSONPair& TJSONObject::AddPair(std::u16string_view key, TJSONValue& value)
{
    RequireLoose(*FTree, value);
    TJSONPair* pair;
    try {
        pair = &FTree->NewPair(key, nullptr);
    } catch (...) {
        FTree->Release(value);
        throw;
    }
    try {
        FMembers.Push(FTree->FArena, pair);
    } catch (...) {
        FTree->Release(*pair);
        FTree->Release(value);
        throw;
    }
    TJSONTree::SetMemberValue(*pair, value);
    TJSONTree::AttachTo(*this, *pair);
    if (FIndexed) {
        try {
            FTree->IndexOf(*this)->Added(*pair);
        } catch (...) {
            FTree->DropIndex(*this); // made again by the next lookup
        }
    }
    return *pair;
}

TJSONValue* TJSONObject::Find(std::u16string_view key) const
{
    if (FMembers.size() >= TJSONMemberIndex::kMinMembers) {
        const TJSONMemberIndex* index = FIndexed ? FTree->IndexOf(*this) : &FTree->MakeIndex(*this);
        TJSONPair* pair = index->Find(key);
        return pair != nullptr ? &pair->JsonValue() : nullptr;
    }
    for (TJSONPair* pair : FMembers)
        if (pair->Key() == key)
            return &pair->JsonValue();
    return nullptr;
}

TJSONValue& TJSONArray::AddElement(TJSONValue& value)
{
    RequireLoose(*FTree, value);
    try {
        FElements.Push(FTree->FArena, &value);
    } catch (...) {
        FTree->Release(value);
        throw;
    }
    value.FUp = reinterpret_cast<std::uintptr_t>(this);
    return value;
}

TJSONAncestor& JSONFreeUnit(TJSONAncestor& node)
{
    TJSONAncestor* parent = node.Parent();
    return parent != nullptr && parent->IsPair() ? *parent : node;
}

} // namespace bramolt::json
