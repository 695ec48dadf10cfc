// Trees that own their memory: nodes freed inside a tree while handles around them live,
// trees grown again after frees, many trees freed in any order, big documents parsed and
// freed, and parses that fail part way.

#include "json/JSONHandleTable.h"
#include "json/JSONParser.h"
#include "json/JSONPath.h"
#include "json/JSONWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
#include <malloc.h>
#define BRAMOLT_HEAP_IN_USE 1
#endif

namespace bramolt::json {
namespace {

std::u16string Print(const TJSONAncestor* node)
{
    return node == nullptr ? u"<none>" : ToJSON(*node, {});
}

// Handles around a freed node: its parent's, its siblings' and those of nodes elsewhere
// keep working (reading and growing), its own and its children's designate nothing.
TEST(TreeMemory, FreeingANodeKeepsTheHandlesAroundItAndKillsThoseBelowIt)
{
    TJSONHandleTable table;
    const std::uint32_t root =
        table.AdoptRoot(ParseJSONValue(u"{\"a\":{\"x\":[1,{\"deep\":2}],\"y\":3},\"b\":[4,5]}"));
    const TJSONNodeRef top = *table.Lookup(root);
    const auto at = [&](std::u16string_view path) { return table.Issue(FindJSONPath(top, path)); };
    const std::uint32_t parent = at(u"a");
    const std::uint32_t freed = at(u"a.x");
    const std::uint32_t child = at(u"a.x[1]");
    const std::uint32_t grandchild = at(u"a.x[1].deep");
    const std::uint32_t sibling = at(u"a.y");
    const std::uint32_t cousin = at(u"b");
    auto& object = static_cast<TJSONObject&>(*table.Find(parent));
    const std::uint32_t freedPair = table.Issue({&object.Pair(0), top.Tree, &object});

    ASSERT_TRUE(table.Free(freed));
    for (std::uint32_t dead : {freed, child, grandchild, freedPair})
        EXPECT_EQ(table.Find(dead), nullptr) << dead;
    EXPECT_EQ(Print(table.Find(parent)), u"{\"y\":3}");
    EXPECT_EQ(Print(table.Find(sibling)), u"3");
    top.Tree->AddMember(object, u"z", TJSONNewNode::String(u"new"));
    top.Tree->AddElement(static_cast<TJSONArray&>(*table.Find(cousin)), TJSONNewNode::Null());
    EXPECT_EQ(Print(top.Node), u"{\"a\":{\"y\":3,\"z\":\"new\"},\"b\":[4,5,null]}");
    EXPECT_TRUE(table.Free(root));
    for (std::uint32_t dead : {root, parent, sibling, cousin})
        EXPECT_EQ(table.Find(dead), nullptr) << dead;
    EXPECT_EQ(table.LiveCount(), 0u);
}

// What JSONAddElement and JSONFree do to one long-lived tree, a million times over: its
// memory must settle at the size of its largest moment.
TEST(TreeMemory, AddAndFreeCyclesKeepATreeFlat)
{
    TJSONHandleTable table;
    const std::uint32_t root = table.AdoptRoot(ParseJSONValue(u"{\"keep\":[1,2,3]}"));
    auto& object = static_cast<TJSONObject&>(*table.Find(root));
    TJSONTree& tree = *table.Lookup(root)->Tree;
    std::size_t settled = 0;
    for (int cycle = 1; cycle <= 1'000'000; ++cycle) {
        auto& added =
            static_cast<TJSONObject&>(tree.AddMember(object, u"item", TJSONNewNode::Object()).JsonValue());
        const std::uint32_t handle = table.Issue({&added, &tree, &object});
        tree.AddMember(added, cycle % 2 ? u"text" : u"a longer key", TJSONNewNode::String(u"some value"));
        ASSERT_TRUE(table.Free(handle));
        if (cycle == 1000)
            settled = tree.ReservedBytes();
    }
    EXPECT_EQ(tree.ReservedBytes(), settled);
    EXPECT_EQ(Print(&object), u"{\"keep\":[1,2,3]}");
    EXPECT_EQ(table.LiveCount(), 1u);
}

// Blocks given back are reused, so what was freed may be made again in the same places:
// the tree must read the same as one built without frees.
TEST(TreeMemory, ATreeGrowsAgainAfterFrees)
{
    TJSONHandleTable table;
    const std::uint32_t root = table.AdoptRoot(ParseJSONValue(u"[]"));
    auto& array = static_cast<TJSONArray&>(*table.Find(root));
    TJSONTree& tree = *table.Lookup(root)->Tree;
    std::u16string expected = u"[";
    std::mt19937 rng(5);
    for (int round = 0; round < 50; ++round) {
        std::vector<std::uint32_t> added;
        for (int i = 0; i < 20; ++i) {
            auto& object = static_cast<TJSONObject&>(tree.AddElement(array, TJSONNewNode::Object()));
            tree.AddMember(object, u"n", TJSONNewNode::Number("1"));
            added.push_back(table.Issue({&object, &tree, &array}));
        }
        // Keep the first of each round, free the others in an order that mixes the free lists.
        std::vector<std::uint32_t> doomed(added.begin() + 1, added.end());
        std::shuffle(doomed.begin(), doomed.end(), rng);
        for (std::uint32_t handle : doomed)
            ASSERT_TRUE(table.Free(handle));
        auto& kept = static_cast<TJSONObject&>(*table.Find(added[0]));
        const std::string digit(1, static_cast<char>('0' + round % 10));
        tree.AddMember(kept, u"round", TJSONNewNode::Number(digit));
        expected += round ? u"," : u"";
        expected += u"{\"n\":1,\"round\":";
        expected += static_cast<char16_t>(digit[0]);
        expected += u"}";
    }
    EXPECT_EQ(Print(&array), expected + u"]");
}

TEST(TreeMemory, ManyTreesLiveAtOnceAndAreFreedInAnyOrder)
{
    TJSONHandleTable table;
    std::vector<std::pair<std::uint32_t, std::u16string>> trees;
    for (int i = 0; i < 300; ++i) {
        const std::string number = std::to_string(i);
        const std::u16string digits(number.begin(), number.end());
        TJSONRoot root;
        if (i % 2 == 0) {
            std::u16string text = u"{\"tree\":";
            text += digits;
            text += u",\"list\":[";
            text += std::u16string(static_cast<std::size_t>(i % 7), u'7');
            text += u"]}";
            root = ParseJSONValue(text);
        } else {
            root = TJSONRoot::Make(TJSONNewNode::Array());
            root.Tree()->AddElement(static_cast<TJSONArray&>(*root), TJSONNewNode::Number(number));
        }
        ASSERT_NE(root, nullptr) << i;
        const std::u16string printed = Print(root.get());
        trees.emplace_back(table.AdoptRoot(std::move(root)), printed);
    }
    std::shuffle(trees.begin(), trees.end(), std::mt19937(11));
    while (!trees.empty()) {
        ASSERT_TRUE(table.Free(trees.back().first));
        trees.pop_back();
        for (std::size_t i = 0; i < trees.size(); i += 37)
            ASSERT_EQ(Print(table.Find(trees[i].first)), trees[i].second);
    }
    EXPECT_EQ(table.LiveCount(), 0u);
}

#ifdef BRAMOLT_HEAP_IN_USE
std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}
#endif

TEST(TreeMemory, ABigDocumentParsedAndFreedTwiceGivesBackItsMemory)
{
#ifdef __SANITIZE_ADDRESS__
    constexpr std::size_t kBytes = 10u << 20; // the sanitizer checks for leaks instead
#else
    constexpr std::size_t kBytes = 100u << 20;
#endif
    std::u16string text = u"[";
    for (int i = 0; text.size() < kBytes; ++i)
        text += u"{\"id\":12345,\"name\":\"a name\",\"tags\":[\"x\",true,null,-1.5E3]},";
    text.back() = u']';
#ifdef BRAMOLT_HEAP_IN_USE
    const std::size_t before = HeapInUse();
#endif
    for (int round = 0; round < 2; ++round) {
        TJSONRoot root = ParseJSONValue(text);
        ASSERT_NE(root, nullptr);
        EXPECT_GT(root.Tree()->ReservedBytes(), text.size());
        root.reset();
#ifdef BRAMOLT_HEAP_IN_USE
        EXPECT_LE(HeapInUse(), before + 4096) << round;
#endif
    }
}

// Every way a small document can fail part way: cut short anywhere, or with a character
// replaced by one that breaks it. Whatever was built must go with the failure (the
// sanitizer run checks for leaks).
TEST(TreeMemory, ParsesThatFailAnywhereKeepNothing)
{
    const std::u16string text =
        u"{\"a\":[1,\"two\",{\"b\":null,\"c\":[true,false]}],\"d\":{\"e\":\"\\u00e9\"}}";
    ASSERT_NE(ParseJSONValue(text), nullptr);
    for (std::size_t cut = 0; cut < text.size(); ++cut)
        EXPECT_EQ(ParseJSONValue(text.substr(0, cut)), nullptr) << cut;
    for (std::size_t at = 0; at < text.size(); ++at) {
        std::u16string broken = text;
        const bool escaped = at > 0 && text[at - 1] == u'\\';
        broken[at] = text[at] == u'"' || escaped ? u'x' : u'"';
        EXPECT_EQ(ParseJSONValue(broken), nullptr) << at;
    }
}

} // namespace
} // namespace bramolt::json
