#include "json/JSONMemberIndex.h"

namespace bramolt::json {

TJSONMemberIndex::TJSONMemberIndex(const TJSONObject& object, std::pmr::memory_resource& resource)
    : FFirst(&resource)
{
    FFirst.reserve(object.Count());
    for (TJSONPair* pair : object.Members())
        FFirst.try_emplace(pair->Key(), pair); // the first member with a key wins
}

TJSONPair* TJSONMemberIndex::Find(std::u16string_view key) const
{
    const auto it = FFirst.find(key);
    return it == FFirst.end() ? nullptr : it->second;
}

void TJSONMemberIndex::Added(TJSONPair& pair)
{
    FFirst.try_emplace(pair.Key(), &pair);
}

void TJSONMemberIndex::Removed(const TJSONObject& object, const TJSONPair& pair)
{
    const auto it = FFirst.find(pair.Key());
    if (it == FFirst.end() || it->second != &pair)
        return; // a later member with a repeated key
    // The member that now comes first with this key, if any, takes its place. The key the
    // entry points into dies with `pair`, so the entry is made anew.
    FFirst.erase(it);
    for (TJSONPair* other : object.Members())
        if (other->Key() == pair.Key()) {
            FFirst.emplace(other->Key(), other);
            return;
        }
}

} // namespace bramolt::json
