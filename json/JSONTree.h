#pragma once

// One JSON tree and its memory. A tree is made for each root (a parsed text, or a new
// node without a parent); every node of it is made from its arena where it is to live
// and stays there. Freeing a node inside the tree gives its blocks back for reuse; ending
// the tree releases all of its memory at once, without visiting its nodes.

#include "json/JSONArena.h"
#include "json/JSONValue.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <unordered_map>

namespace bramolt::json {

class TJSONMemberIndex;

// A node together with what the node itself does not record: its tree and the container
// that lists it (an object for a pair and for a member's value, an array for an element;
// nullptr for a root).
struct TJSONNodeRef {
    TJSONAncestor* Node = nullptr;
    TJSONTree* Tree = nullptr;
    TJSONValue* Holder = nullptr;
};

class TJSONTree {
  public:
    TJSONTree() = default;
    TJSONTree(const TJSONTree&) = delete;
    TJSONTree& operator=(const TJSONTree&) = delete;
    // Forgets the handles of its nodes that are still issued.
    ~TJSONTree();

    // The root value, nullptr until one is made.
    TJSONValue* Root() const { return FRoot; }
    // Makes the root; the tree must not have one yet.
    TJSONValue& MakeRoot(const TJSONNewNode& value);

    // Makes `value` as the member `key` at the end of `object` (a node of this tree). Keys
    // are not compared: a repeated key gives a second member.
    TJSONPair& AddMember(TJSONObject& object, std::u16string_view key, const TJSONNewNode& value);
    // Makes `value` as the last element of `array` (a node of this tree).
    TJSONValue& AddElement(TJSONArray& array, const TJSONNewNode& value);

    // The value of the first member of `object` (a node of this tree) whose key equals
    // `key` code unit by code unit.
    TJSONValue* Find(TJSONObject& object, std::u16string_view key);

    // Takes `node` out of `holder`, the container that lists it, and releases it with all
    // it holds, forgetting their handles. For a pair, or the value of a member, the whole
    // member goes. Throws EJSONError when `holder` does not list `node`.
    void Free(TJSONValue& holder, TJSONAncestor& node);

    // Building in bulk, for the parser: members and elements not listed anywhere yet, and
    // the whole list of a container's children, which the caller fills in.
    TJSONPair& NewMember(std::u16string_view key, const TJSONNewNode& value);
    TJSONValue& NewElement(const TJSONNewNode& value);
    std::span<TJSONPair*> SetMemberCount(TJSONObject& object, std::size_t count);
    std::span<TJSONValue*> SetElementCount(TJSONArray& array, std::size_t count);
    // `root` must have been made by NewElement.
    void SetRoot(TJSONValue& root) { FRoot = &root; }

    // Bytes this tree holds on the heap, whether its nodes use them now or not.
    std::size_t ReservedBytes() const { return FArena.ReservedBytes(); }
    std::pmr::memory_resource& Resource() { return FArena; }

  private:
    friend class TJSONHandleTable;

    void* Allocate(std::size_t bytes) { return FArena.AllocateBlock(bytes); }
    void Deallocate(void* p, std::size_t bytes) { FArena.deallocate(p, bytes, TJSONArena::kGrain); }
    static std::size_t MemberBytes(std::u16string_view key, const TJSONNewNode& value);
    static std::size_t MemberBytes(const TJSONPair& pair);
    static std::size_t NodeBytes(const TJSONValue& value);
    template <typename T> std::span<T*> SetCount(TJSONNodeList<T>& list, std::size_t count);
    template <typename T> void Push(TJSONNodeList<T>& list, T* item);
    template <typename T> void ReleaseList(TJSONNodeList<T>& list);
    // Releases a member or element no longer listed anywhere, and all it holds.
    void Release(TJSONAncestor& unit);
    void ForgetHandle(TJSONAncestor& node);

    // Member indexes of big objects, made on demand (JSONMemberIndex.h).
    TJSONMemberIndex* IndexOf(const TJSONObject& object);
    TJSONMemberIndex& MakeIndex(TJSONObject& object);
    void DropIndex(TJSONObject& object);

    // The handle table that issued handles to nodes of this tree, and those handles.
    TJSONHandleTable* FHandleTable = nullptr;
    std::unordered_map<const TJSONAncestor*, std::uint32_t> FHandles;

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

    // A new tree whose root is `value`.
    static TJSONRoot Make(const TJSONNewNode& value);

    TJSONValue* get() const { return FTree ? FTree->Root() : nullptr; }
    TJSONValue& operator*() const { return *get(); }
    TJSONValue* operator->() const { return get(); }
    explicit operator bool() const { return FTree != nullptr; }
    friend bool operator==(const TJSONRoot& root, std::nullptr_t) { return root.FTree == nullptr; }

    TJSONTree* Tree() const { return FTree.get(); }
    // The root as a reference for paths and handles.
    TJSONNodeRef Ref() const { return {get(), FTree.get(), nullptr}; }
    std::unique_ptr<TJSONTree> ReleaseTree() { return std::move(FTree); }
    void reset() { FTree.reset(); }

  private:
    std::unique_ptr<TJSONTree> FTree;
};

} // namespace bramolt::json
