#pragma once

// Lookups by key in objects with many members. Such an object gets, on its first lookup,
// an index from each key to the first member with that key, allocated from its tree's
// memory; adding and freeing members keeps it right. Small objects have none: comparing
// a few keys costs less than hashing one.

#include "json/JSONValue.h"

#include <memory_resource>
#include <string_view>
#include <unordered_map>

namespace bramolt::json {

class TJSONMemberIndex {
  public:
    // Objects with fewer members are searched key by key.
    static constexpr std::size_t kMinMembers = 16;

    TJSONMemberIndex(const TJSONObject& object, std::pmr::memory_resource& resource);

    TJSONPair* Find(std::u16string_view key) const;
    // `pair` was appended to the object.
    void Added(TJSONPair& pair);
    // `pair` was taken out of `object`.
    void Removed(const TJSONObject& object, const TJSONPair& pair);

  private:
    std::pmr::unordered_map<std::u16string_view, TJSONPair*> FFirst;
};

} // namespace bramolt::json
