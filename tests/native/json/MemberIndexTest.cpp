// Lookups by name in objects of any size must agree with a search key by key: the first
// member with the name wins, through members added and freed in any order.

#include "json/JSONHandleTable.h"
#include "json/JSONParser.h"
#include "json/JSONPath.h"
#include "json/JSONWriter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace bramolt::json {
namespace {

std::u16string Key(unsigned n)
{
    const std::string digits = std::to_string(n);
    std::u16string key = u"k";
    key.append(digits.begin(), digits.end());
    return key;
}

// A random walk of adds and frees that takes one object from a few members to a few
// hundred and back, with repeated keys throughout; after every step each key is looked up.
TEST(MemberIndex, AgreesWithAKeyByKeySearchThroughAddsAndFrees)
{
    constexpr unsigned kKeys = 40;
    TJSONHandleTable table;
    const std::uint32_t root = table.AdoptRoot(ParseJSONValue(u"{\"k1\":0,\"k2\":0,\"k1\":1}"));
    auto& object = static_cast<TJSONObject&>(*table.Find(root));
    TJSONTree& tree = *table.Lookup(root)->Tree;
    std::vector<std::pair<std::u16string, std::u16string>> model{{u"k1", u"0"}, {u"k2", u"0"}, {u"k1", u"1"}};
    std::mt19937 rng(7);
    for (int step = 0; step < 3000; ++step) {
        const int phase = step / 500; // grow, shrink, grow, ...
        const bool add = model.empty() || rng() % 10 < (phase % 2 == 0 ? 8u : 2u);
        if (add) {
            const std::u16string key = Key(rng() % kKeys);
            const std::u16string value = Key(static_cast<unsigned>(step));
            tree.AddMember(object, key, TJSONNewNode::String(value));
            model.emplace_back(key, std::u16string(u"\"").append(value).append(u"\""));
        } else {
            const std::size_t at = rng() % model.size();
            ASSERT_TRUE(table.Free(table.Issue({&object.Pair(at), &tree, &object})));
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
        }
        for (unsigned k = 0; k <= kKeys; ++k) {
            const std::u16string key = Key(k);
            std::u16string expected = u"<none>";
            for (const auto& [modelKey, printed] : model)
                if (modelKey == key) {
                    expected = printed;
                    break;
                }
            const TJSONValue* found = tree.Find(object, key);
            ASSERT_EQ(found == nullptr ? u"<none>" : ToJSON(*found, {}), expected)
                << "step " << step << ", " << model.size() << " members, key k" << k;
        }
    }
}

// A freed object's memory is reused for the next one, perhaps at the same address: no index
// of the old one may survive into the new one.
TEST(MemberIndex, AnIndexedObjectFreedAndMadeAgainInItsPlace)
{
    TJSONHandleTable table;
    const std::uint32_t root = table.AdoptRoot(ParseJSONValue(u"[]"));
    const TJSONNodeRef top = *table.Lookup(root);
    TJSONTree& tree = *top.Tree;
    auto& array = static_cast<TJSONArray&>(*top.Node);
    for (unsigned round = 0; round < 20; ++round) {
        auto& object = static_cast<TJSONObject&>(tree.AddElement(array, TJSONNewNode::Object()));
        for (unsigned i = 0; i < 100; ++i)
            tree.AddMember(object, Key(i + round), TJSONNewNode::Number("1"));
        ASSERT_NE(tree.Find(object, Key(round)), nullptr) << round;
        ASSERT_EQ(tree.Find(object, Key(round + 100)), nullptr) << round;
        ASSERT_NE(FindJSONPath(top, std::u16string(u"[0].").append(Key(round + 99))).Node, nullptr) << round;
        ASSERT_TRUE(table.Free(table.Issue({&object, &tree, &array})));
    }
}

// Lookups in a small object take no memory; a big one pays for its index on the first.
TEST(MemberIndex, SmallObjectsCostNothingExtra)
{
    for (const auto& [members, grows] : {std::pair{15u, false}, std::pair{2000u, true}}) {
        std::u16string text = u"{";
        for (unsigned i = 0; i < members; ++i) {
            text += i ? u",\"" : u"\"";
            text += Key(i);
            text += u"\":1";
        }
        const auto root = ParseJSONValue(text + u"}");
        const std::size_t before = root.Tree()->ReservedBytes();
        for (unsigned i = 0; i < 1000; ++i)
            ASSERT_NE(root.Tree()->Find(static_cast<TJSONObject&>(*root), Key(i % members)), nullptr);
        EXPECT_EQ(root.Tree()->ReservedBytes() > before, grows) << members;
    }
}

} // namespace
} // namespace bramolt::json
