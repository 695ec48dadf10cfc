#include "json/JSONError.h"
#include "json/JSONParser.h"
#include "json/JSONValue.h"
#include "json/JSONWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace bramolt::json {
namespace {

TJSONRoot Parse(std::u16string_view text)
{
    auto root = ParseJSONValue(text);
    EXPECT_NE(root, nullptr);
    return root;
}

TEST(Tree, AddsMembersAtTheEndAndFindsTheFirstOfADuplicateKey)
{
    const auto root = TJSONRoot::Make(TJSONNewNode::Object());
    TJSONTree& tree = *root.Tree();
    auto& object = static_cast<TJSONObject&>(*root);
    tree.AddMember(object, u"k", TJSONNewNode::String(u"first"));
    tree.AddMember(object, u"K", TJSONNewNode::String(u"other case"));
    tree.AddMember(object, u"k", TJSONNewNode::String(u"second"));
    EXPECT_EQ(ToJSON(object, {}), u"{\"k\":\"first\",\"K\":\"other case\",\"k\":\"second\"}");
    EXPECT_EQ(static_cast<TJSONString*>(tree.Find(object, u"k"))->Value(), u"first");
    EXPECT_EQ(tree.Find(object, u"missing"), nullptr);
    EXPECT_EQ(tree.Find(object, u""), nullptr);
}

// A member's value sits behind its key in the same block: every key length, odd and even,
// must leave every kind of value intact and readable.
TEST(Tree, MembersHoldEveryKindOfValueBehindKeysOfAnyLength)
{
    const struct {
        TJSONNewNode Value;
        std::u16string Printed;
    } values[] = {
        {TJSONNewNode::Object(), u"{}"},
        {TJSONNewNode::Array(), u"[]"},
        {TJSONNewNode::String(u""), u"\"\""},
        {TJSONNewNode::String(u"x\u00E9z"), u"\"x\u00E9z\""},
        {TJSONNewNode::Number("-1.5E3"), u"-1.5E3"},
        {TJSONNewNode::Number(u"7"), u"7"},
        {TJSONNewNode::Bool(true), u"true"},
        {TJSONNewNode::Bool(false), u"false"},
        {TJSONNewNode::Null(), u"null"},
    };
    for (std::size_t keyLength = 0; keyLength < 10; ++keyLength) {
        const std::u16string key(keyLength, u'k');
        auto root = TJSONRoot::Make(TJSONNewNode::Object());
        auto& object = static_cast<TJSONObject&>(*root);
        std::u16string expected = u"{";
        for (const auto& v : values) {
            TJSONPair& pair = root.Tree()->AddMember(object, key, v.Value);
            EXPECT_EQ(pair.Key(), key);
            EXPECT_EQ(pair.JsonValue().Kind(), v.Value.Kind()) << keyLength;
            EXPECT_EQ(ToJSON(pair.JsonValue(), {}), v.Printed) << keyLength;
            expected += (expected.size() > 1 ? u",\"" : u"\"") + key + u"\":" + v.Printed;
        }
        // The containers still take children after their neighbours were made.
        for (TJSONPair* pair : object.Members()) {
            if (pair->JsonValue().IsArray())
                root.Tree()->AddElement(static_cast<TJSONArray&>(pair->JsonValue()), TJSONNewNode::Null());
            else if (pair->JsonValue().IsObject())
                root.Tree()->AddMember(static_cast<TJSONObject&>(pair->JsonValue()), u"n",
                                       TJSONNewNode::Null());
        }
        expected = expected.replace(expected.find(u"{}"), 2, u"{\"n\":null}");
        expected = expected.replace(expected.find(u"[]"), 2, u"[null]");
        EXPECT_EQ(ToJSON(object, {}), expected + u"}") << keyLength;
    }
}

// Texts longer than a node's head word can count keep their length beside it.
TEST(Tree, KeepsTextsTooLongForTheHeadWord)
{
    for (std::size_t length :
         {std::size_t{TJSONAncestor::kMaxSize}, std::size_t{TJSONAncestor::kMaxSize} + 1}) {
        std::string digits(length, '1');
        digits.back() = '9';
        auto root = TJSONRoot::Make(TJSONNewNode::Number(digits));
        const std::string_view kept = static_cast<const TJSONNumber&>(*root).Value();
        EXPECT_EQ(kept.size(), length);
        EXPECT_TRUE(kept == digits);
    }
}

// Trees built node by node have no nesting limit: printing and freeing them must not
// recurse once per level.
TEST(Tree, PrintsAndFreesAMillionLevelsWithoutRecursion)
{
    constexpr int kDepth = 1'000'000;
    auto root = TJSONRoot::Make(TJSONNewNode::Array());
    TJSONTree& tree = *root.Tree();
    TJSONValue* tip = root.get();
    for (int i = 0; i < kDepth; ++i) {
        if (i % 2 == 0)
            tip = &tree.AddElement(static_cast<TJSONArray&>(*tip), TJSONNewNode::Object());
        else
            tip = &tree.AddMember(static_cast<TJSONObject&>(*tip), u"a", TJSONNewNode::Array()).JsonValue();
    }
    const std::u16string text = ToJSON(*root, {});
    EXPECT_EQ(text.size(), 1u + kDepth / 2 * 6 + 1u + kDepth / 2 * 2);
    EXPECT_EQ(text.substr(0, 8), u"[{\"a\":[{");
    tree.Free(static_cast<TJSONArray&>(*root), static_cast<TJSONArray&>(*root).Element(0));
    EXPECT_EQ(ToJSON(*root, {}), u"[]");
}

TEST(Free, TakesAnElementOutOfItsArray)
{
    auto root = Parse(u"[1,[2],3]");
    auto& array = static_cast<TJSONArray&>(*root);
    root.Tree()->Free(array, array.Element(1));
    EXPECT_EQ(ToJSON(*root, {}), u"[1,3]");
}

TEST(Free, APairOrItsValueTakesTheWholeMemberOutOfItsObject)
{
    for (int part = 0; part < 2; ++part) {
        auto root = Parse(u"{\"a\":1,\"b\":{\"c\":2},\"d\":3}");
        auto& object = static_cast<TJSONObject&>(*root);
        TJSONPair& pair = object.Pair(1);
        root.Tree()->Free(object, part == 0 ? static_cast<TJSONAncestor&>(pair) : pair.JsonValue());
        EXPECT_EQ(ToJSON(*root, {}), u"{\"a\":1,\"d\":3}") << part;
    }
}

TEST(Free, RefusesANodeItsHolderDoesNotList)
{
    auto root = Parse(u"{\"a\":[1],\"b\":[2]}");
    auto& object = static_cast<TJSONObject&>(*root);
    auto& a = static_cast<TJSONArray&>(object.Pair(0).JsonValue());
    auto& b = static_cast<TJSONArray&>(object.Pair(1).JsonValue());
    EXPECT_THROW(root.Tree()->Free(a, b.Element(0)), EJSONError);
    EXPECT_THROW(root.Tree()->Free(b.Element(0), b.Element(0)), EJSONError);
    EXPECT_EQ(ToJSON(*root, {}), u"{\"a\":[1],\"b\":[2]}");
}

} // namespace
} // namespace bramolt::json
