#include "json/JSONHandleTable.h"

#include "json/JSONError.h"

#include <limits>
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
        TJSONTree& tree = entry.Node->Tree();
        tree.FHandleTable = nullptr;
        tree.FHandles.clear();
        entry.Node->FHandle = 0;
    }
}

std::uint32_t TJSONHandleTable::Issue(TJSONAncestor& node)
{
    TJSONTree& tree = node.Tree();
    if (tree.FHandleTable != nullptr && tree.FHandleTable != this)
        throw EJSONError("JSON node belongs to another handle table");
    if (node.FHandle != 0)
        return node.FHandle;
    if (FNodes.size() >= std::numeric_limits<std::uint32_t>::max())
        throw EJSONError("No free JSON handle");
    // After wrap-around, skip 0 and every number still in use: an old handle must never
    // come to designate a different node while the first one lives.
    std::uint32_t handle = FNext++;
    while (handle == 0 || FNodes.contains(handle))
        handle = FNext++;
    tree.FHandles.insert(handle);
    try {
        FNodes.emplace(handle, TEntry{&node, nullptr});
    } catch (...) {
        tree.FHandles.erase(handle);
        throw;
    }
    node.FHandle = handle;
    tree.FHandleTable = this;
    return handle;
}

std::uint32_t TJSONHandleTable::AdoptRoot(TJSONRoot root)
{
    if (root == nullptr)
        throw EJSONError("Only a root node can be adopted");
    std::uint32_t handle = Issue(*root);
    FNodes.at(handle).Root = root.ReleaseTree();
    return handle;
}

TJSONAncestor* TJSONHandleTable::Find(std::uint32_t handle) const
{
    auto it = FNodes.find(handle);
    return it == FNodes.end() ? nullptr : it->second.Node;
}

bool TJSONHandleTable::Free(std::uint32_t handle)
{
    TJSONAncestor* node = Find(handle);
    if (node == nullptr)
        return false;
    TJSONAncestor& unit = JSONFreeUnit(*node);
    TJSONTree& tree = unit.Tree();
    if (unit.Parent() != nullptr) {
        tree.Free(unit);
        return true;
    }
    // A root: the whole tree goes at once, if this table owns it.
    auto it = unit.FHandle != 0 ? FNodes.find(unit.FHandle) : FNodes.end();
    if (it == FNodes.end() || !it->second.Root)
        return false;
    std::unique_ptr<TJSONTree> owned = std::move(it->second.Root);
    owned.reset(); // forgets the handles of all its nodes, this one included
    return true;
}

void TJSONHandleTable::Forget(TJSONAncestor& node, TJSONTree& tree)
{
    FNodes.erase(node.FHandle);
    tree.FHandles.erase(node.FHandle);
    node.FHandle = 0;
}

} // namespace bramolt::json
