#include "json/JSONHandleTable.h"

#include "json/JSONError.h"

#include <limits>
#include <vector>

namespace bramolt::json {

TJSONHandleTable::TJSONHandleTable(std::uint32_t firstHandle) : FNext(firstHandle) {}

TJSONHandleTable::~TJSONHandleTable()
{
    std::vector<std::unique_ptr<TJSONAncestor>> roots;
    for (auto& [handle, entry] : FNodes)
        if (entry.Root)
            roots.push_back(std::move(entry.Root));
    roots.clear(); // each node's destructor forgets its own entry
    for (auto& [handle, entry] : FNodes) {
        entry.Node->FHandle = 0;
        entry.Node->FHandleTable = nullptr;
    }
}

std::uint32_t TJSONHandleTable::Issue(TJSONAncestor& node)
{
    if (node.FHandle != 0) {
        if (node.FHandleTable != this)
            throw EJSONError("JSON node belongs to another handle table");
        return node.FHandle;
    }
    if (FNodes.size() >= std::numeric_limits<std::uint32_t>::max())
        throw EJSONError("No free JSON handle");
    // After wrap-around, skip 0 and every number still in use: an old handle must never
    // come to designate a different node while the first one lives.
    std::uint32_t handle = FNext++;
    while (handle == 0 || FNodes.contains(handle))
        handle = FNext++;
    FNodes.emplace(handle, TEntry{&node, nullptr});
    node.FHandle = handle;
    node.FHandleTable = this;
    return handle;
}

std::uint32_t TJSONHandleTable::AdoptRoot(std::unique_ptr<TJSONAncestor> root)
{
    if (root == nullptr || root->Parent() != nullptr)
        throw EJSONError("Only a root node can be adopted");
    std::uint32_t handle = Issue(*root);
    FNodes.at(handle).Root = std::move(root);
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
    std::unique_ptr<TJSONAncestor> owned = DetachJSONNode(unit);
    if (owned == nullptr && unit.FHandle != 0) {
        auto it = FNodes.find(unit.FHandle);
        if (it != FNodes.end())
            owned = std::move(it->second.Root);
    }
    if (owned == nullptr)
        return false;
    owned.reset(); // forgets the handles of the whole subtree through the destructors
    return true;
}

void TJSONHandleTable::Forget(TJSONAncestor& node)
{
    FNodes.erase(node.FHandle);
    node.FHandle = 0;
    node.FHandleTable = nullptr;
}

} // namespace bramolt::json
