#include "json/JSONHandleTable.h"

#include "json/JSONError.h"

#include <vector>

namespace bramolt::json {

TJSONHandleTable::TJSONHandleTable(std::uint32_t firstHandle) : FNext(firstHandle) {}

TJSONHandleTable::~TJSONHandleTable()
{
    std::vector<std::unique_ptr<TJSONTree>> trees;
    for (auto& [handle, entry] : FNodes)
        if (entry.Root)
            trees.push_back(std::move(entry.Root));
    trees.clear(); // each tree forgets the handles of its nodes
    for (auto& [handle, entry] : FNodes) {
        TJSONTree& tree = *entry.Ref.Tree;
        tree.FHandleTable = nullptr;
        tree.FHandles.clear();
        entry.Ref.Node->SetHasHandle(false);
    }
}

std::uint32_t TJSONHandleTable::Issue(const TJSONNodeRef& ref)
{
    TJSONTree& tree = *ref.Tree;
    if (tree.FHandleTable != nullptr && tree.FHandleTable != this)
        throw EJSONError("JSON node belongs to another handle table");
    if (ref.Node->HasHandle())
        return tree.FHandles.at(ref.Node);
    if (FNodes.size() >= kLastHandle)
        throw EJSONError("No free JSON handle");
    // After wrap-around, skip every number still in use: an old handle must never come to
    // designate a different node while the first one lives.
    std::uint32_t handle = NextCandidate();
    while (FNodes.contains(handle))
        handle = NextCandidate();
    tree.FHandles.emplace(ref.Node, handle);
    try {
        FNodes.emplace(handle, TEntry{ref, nullptr});
    } catch (...) {
        tree.FHandles.erase(ref.Node);
        throw;
    }
    ref.Node->SetHasHandle(true);
    tree.FHandleTable = this;
    return handle;
}

std::uint32_t TJSONHandleTable::NextCandidate()
{
    // Past kLastHandle, or from a counter set outside the range, counting starts again at 1.
    if (FNext == 0 || FNext > kLastHandle)
        FNext = 1;
    return FNext++;
}

std::uint32_t TJSONHandleTable::AdoptRoot(TJSONRoot root)
{
    if (root == nullptr)
        throw EJSONError("Only a root node can be adopted");
    std::uint32_t handle = Issue(root.Ref());
    FNodes.at(handle).Root = root.ReleaseTree();
    return handle;
}

const TJSONNodeRef* TJSONHandleTable::Lookup(std::uint32_t handle) const
{
    auto it = FNodes.find(handle);
    return it == FNodes.end() ? nullptr : &it->second.Ref;
}

TJSONAncestor* TJSONHandleTable::Find(std::uint32_t handle) const
{
    const TJSONNodeRef* ref = Lookup(handle);
    return ref != nullptr ? ref->Node : nullptr;
}

bool TJSONHandleTable::Free(std::uint32_t handle)
{
    auto it = FNodes.find(handle);
    if (it == FNodes.end())
        return false;
    const TJSONNodeRef ref = it->second.Ref;
    if (ref.Holder != nullptr) {
        ref.Tree->Free(*ref.Holder, *ref.Node);
        return true;
    }
    // A root: the whole tree goes at once, if this table owns it.
    if (!it->second.Root)
        return false;
    std::unique_ptr<TJSONTree> owned = std::move(it->second.Root);
    owned.reset(); // forgets the handles of all its nodes, this one included
    return true;
}

void TJSONHandleTable::Forget(TJSONAncestor& node, TJSONTree& tree)
{
    const auto it = tree.FHandles.find(&node);
    if (it != tree.FHandles.end()) {
        FNodes.erase(it->second);
        tree.FHandles.erase(it);
    }
    node.SetHasHandle(false);
}

} // namespace bramolt::json
