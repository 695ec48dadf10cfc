#pragma once

// One JSON tree and its memory. A tree is made for each root (a parsed text, or a new
// node without a parent); every node of it is allocated from its arena and stays in it.
// Freeing a node inside the tree gives its blocks back for reuse; ending the tree
// releases all of its memory at once, without visiting its nodes.

#include "json/JSONArena.h"
#include "json/JSONValue.h"

#include <cstdint>
#include <memory>
#include <new>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <unordered_set>

namespace bramolt::json {

class TJSONMemberIndex;

class TJSONTree {
  public:
    TJSONTree() = default;
    TJSONTree(const TJSONTree&) = delete;
    TJSONTree& operator=(const TJSONTree&) = delete;
    // Forgets the handles of its nodes that are still issued.
    ~TJSONTree();

    // The root value, nullptr until one is set.
    TJSONValue* Root() const { return FRoot; }
    // `root` must be a node of this tree not attached anywhere.
    void SetRoot(TJSONValue& root);

    // New nodes, not attached to anything yet: attach them (TJSONObject::AddPair,
    // TJSONArray::AddElement), make one the root, or give them back with Release.
    template <typename T> T& New();
    TJSONBool& NewBool(bool value);
    TJSONString& NewString(std::u16string_view text);
    // `text` must be a valid JSON number; it is kept as it is.
    TJSONNumber& NewNumber(std::u16string_view text);

    // Building in bulk, for the parser: a member without a value yet, its value, and the
    // whole list of children of a container, each child already pointing to it as parent
    // (AttachTo) and none in another list.
    TJSONPair& NewMember(std::u16string_view key) { return NewPair(key, nullptr); }
    static void SetMemberValue(TJSONPair& pair, TJSONValue& value);
    static void AttachTo(TJSONAncestor& parent, TJSONAncestor& child)
    {
        child.FUp = reinterpret_cast<std::uintptr_t>(&parent);
    }
    void SetMembers(TJSONObject& object, TJSONPair* const* members, std::size_t count);
    void SetElements(TJSONArray& array, TJSONValue* const* elements, std::size_t count);

    // Takes `node` (a node of this tree, not the root) out of its parent, or for the key or
    // value of a pair the pair out of its object (JSONFreeUnit), and releases it with all
    // it holds, forgetting their handles. A node without a parent is only released.
    void Free(TJSONAncestor& node);

    // Takes `unit` (an array element or an object member) out of its parent and leaves it
    // in the tree without a parent. Returns false when `unit` has no parent or its
    // parent is a pair.
    bool Detach(TJSONAncestor& unit);

    // Bytes this tree holds on the heap, whether its nodes use them now or not.
    std::size_t ReservedBytes() const { return FArena.ReservedBytes(); }
    std::pmr::memory_resource& Resource() { return FArena; }

  private:
    friend class TJSONHandleTable;
    friend class TJSONObject;
    friend class TJSONArray;
    friend class TJSONMemberIndex;

    // Where the units of a text start in a string node, and in a pair (behind its key node).
    static const std::size_t kStringTextOffset;
    static const std::size_t kPairTextOffset;

    void* Allocate(std::size_t bytes) { return FArena.AllocateBlock(bytes); }
    void Deallocate(void* p, std::size_t bytes) { FArena.deallocate(p, bytes, TJSONArena::kGrain); }
    template <typename T> T& Loose(T& node);
    static std::size_t NodeBytes(const TJSONAncestor& node);
    TJSONPair& NewPair(std::u16string_view key, TJSONValue* value);
    // Releases a node without a parent and all it holds.
    void Release(TJSONAncestor& node);

    // Member indexes of big objects, made on demand (JSONMemberIndex.h).
    TJSONMemberIndex* IndexOf(const TJSONObject& object);
    TJSONMemberIndex& MakeIndex(const TJSONObject& object);
    void DropIndex(const TJSONObject& object);

    // The handle table that issued handles to nodes of this tree, and those handles.
    TJSONHandleTable* FHandleTable = nullptr;
    std::unordered_set<std::uint32_t> FHandles;

    TJSONArena FArena;
    TJSONValue* FRoot = nullptr;
    // Allocated from the arena and never destroyed: the arena takes them along.
    std::unordered_map<const TJSONObject*, TJSONMemberIndex*> FIndexes;
};

// The owner of one tree, used like a pointer to its root value.
class TJSONRoot {
  public:
    TJSONRoot() = default;
    TJSONRoot(std::nullptr_t) {}
    // `tree` must have a root.
    explicit TJSONRoot(std::unique_ptr<TJSONTree> tree) : FTree(std::move(tree)) {}

    // A new tree whose root is a new node of type T.
    template <typename T> static TJSONRoot Make();

    TJSONValue* get() const { return FTree ? FTree->Root() : nullptr; }
    TJSONValue& operator*() const { return *get(); }
    TJSONValue* operator->() const { return get(); }
    explicit operator bool() const { return FTree != nullptr; }
    friend bool operator==(const TJSONRoot& root, std::nullptr_t) { return root.FTree == nullptr; }

    TJSONTree* Tree() const { return FTree.get(); }
    std::unique_ptr<TJSONTree> ReleaseTree() { return std::move(FTree); }
    void reset() { FTree.reset(); }

  private:
    std::unique_ptr<TJSONTree> FTree;
};

template <typename T> T& TJSONTree::Loose(T& node)
{
    node.FUp = reinterpret_cast<std::uintptr_t>(this) | TJSONAncestor::kTreeTag;
    return node;
}

template <typename T> T& TJSONTree::New()
{
    T* node;
    if constexpr (std::is_same_v<T, TJSONObject> || std::is_same_v<T, TJSONArray>)
        node = new (Allocate(sizeof(T))) T(*this);
    else
        node = new (Allocate(sizeof(T))) T();
    return Loose(*node);
}

template <typename T> TJSONRoot TJSONRoot::Make()
{
    auto tree = std::make_unique<TJSONTree>();
    tree->SetRoot(tree->New<T>());
    return TJSONRoot(std::move(tree));
}

} // namespace bramolt::json
