#pragma once

// JSON handles: the 32-bit identities under which nodes leave the server. Node addresses
// of a 64-bit process do not fit in 32 bits, so handles are numbers handed out on demand
// and looked up on every use; a number that designates no live node is simply not found.
// The table keeps, for each handle, what the node itself does not record: its tree and
// the container that lists it.

#include "json/JSONTree.h"
#include "json/JSONValue.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace bramolt::json {

class TJSONHandleTable {
  public:
    // The largest handle. Handles stay within a signed 32-bit integer so that every script
    // host can hold one as a Long, also for the life of a long-running server; the values
    // above it are never issued and designate nothing.
    static constexpr std::uint32_t kLastHandle = 0x7FFFFFFF;

    // `firstHandle` (1 to kLastHandle) is the first number tried; tests start near
    // kLastHandle to exercise wrap-around.
    explicit TJSONHandleTable(std::uint32_t firstHandle = 1);
    TJSONHandleTable(const TJSONHandleTable&) = delete;
    TJSONHandleTable& operator=(const TJSONHandleTable&) = delete;
    // Frees every root still held and clears the handles of every other node.
    ~TJSONHandleTable();

    // The handle of `ref.Node`, issued on first use: a number from 1 to kLastHandle that is
    // not live. Numbers count upward, wrap from kLastHandle to 1, and are reused only after
    // every other number was issued.
    // Throws EJSONError if the tree already has handles of another table, or if every
    // number is live.
    std::uint32_t Issue(const TJSONNodeRef& ref);

    // Takes ownership of a tree (made by parsing, or for a new node without a parent) and
    // returns the handle of its root; the tree lives until Free or the end of the table.
    std::uint32_t AdoptRoot(TJSONRoot root);

    // The live node with this handle, nullptr for 0, never-issued and forgotten handles.
    TJSONAncestor* Find(std::uint32_t handle) const;
    // The same node with its tree and holder.
    const TJSONNodeRef* Lookup(std::uint32_t handle) const;

    // Frees the node with this handle and everything it owns, forgetting all their handles:
    // for a root its whole tree at once. A node that is listed in a container leaves it
    // first; for a pair, or the value of a member, the whole member goes. Returns false
    // (and does nothing) when the handle designates no live node, or the node is a root
    // this table does not own.
    bool Free(std::uint32_t handle);

    std::size_t LiveCount() const { return FNodes.size(); }

  protected:
    // Moves the counter (1 to kLastHandle), so that tests can reach wrap-around. Safe at any
    // time: Issue still skips every live number.
    void SetNextHandle(std::uint32_t next) { FNext = next; }

  private:
    friend class TJSONTree;
    struct TEntry {
        TJSONNodeRef Ref;
        std::unique_ptr<TJSONTree> Root; // set for the roots of the trees this table owns
    };

    // Called by a tree for a node it releases, and for each handle when it ends.
    void Forget(TJSONAncestor& node, TJSONTree& tree);
    void Drop(std::uint32_t handle) { FNodes.erase(handle); }
    // The number after the last one tried, wrapping from kLastHandle to 1.
    std::uint32_t NextCandidate();

    std::unordered_map<std::uint32_t, TEntry> FNodes;
    std::uint32_t FNext;
};

} // namespace bramolt::json
