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
    const auto root = TJSONRoot::Make<TJSONObject>();
    auto& object = static_cast<TJSONObject&>(*root);
    object.AddPair(u"k", object.Tree().NewString(u"first"));
    object.AddPair(u"K", object.Tree().NewString(u"other case"));
    object.AddPair(u"k", object.Tree().NewString(u"second"));
    EXPECT_EQ(ToJSON(object, {}), u"{\"k\":\"first\",\"K\":\"other case\",\"k\":\"second\"}");
    EXPECT_EQ(static_cast<TJSONString*>(object.Find(u"k"))->Value(), u"first");
    EXPECT_EQ(object.Find(u"missing"), nullptr);
    EXPECT_EQ(object.Find(u""), nullptr);
}

TEST(Tree, BuiltNodesKnowTheirParents)
{
    const auto root = TJSONRoot::Make<TJSONArray>();
    auto& array = static_cast<TJSONArray&>(*root);
    TJSONValue& element = array.AddElement(array.Tree().New<TJSONObject>());
    TJSONPair& pair = static_cast<TJSONObject&>(element).AddPair(u"n", array.Tree().NewNumber(u"3"));
    EXPECT_EQ(element.Parent(), &array);
    EXPECT_EQ(pair.Parent(), &element);
    EXPECT_EQ(pair.JsonString().Parent(), &pair);
    EXPECT_EQ(pair.JsonValue().Parent(), &pair);
    EXPECT_EQ(array.Parent(), nullptr);
}

// A node never moves: not from one parent to another, not from one tree to another, and a
// root never becomes a child.
TEST(Tree, RefusesNodesThatAreAttachedOrFromAnotherTree)
{
    const auto arrayRoot = TJSONRoot::Make<TJSONArray>();
    const auto objectRoot = TJSONRoot::Make<TJSONObject>();
    auto& array = static_cast<TJSONArray&>(*arrayRoot);
    auto& object = static_cast<TJSONObject&>(*objectRoot);
    TJSONValue& attached = array.AddElement(array.Tree().New<TJSONNull>());
    EXPECT_THROW(array.AddElement(attached), EJSONError);
    TJSONValue& member = object.AddPair(u"m", object.Tree().New<TJSONNull>()).JsonValue();
    EXPECT_THROW(object.AddPair(u"k", member), EJSONError);
    EXPECT_THROW(array.AddElement(object.Tree().New<TJSONNull>()), EJSONError);
    EXPECT_THROW(object.AddPair(u"k", array), EJSONError);
    EXPECT_THROW(array.AddElement(array), EJSONError);
    EXPECT_EQ(array.Count(), 1u);
    EXPECT_EQ(object.Count(), 1u);
}

// Trees built node by node have no nesting limit: printing and freeing them must not
// recurse once per level.
TEST(Tree, PrintsAndFreesAMillionLevelsWithoutRecursion)
{
    constexpr int kDepth = 1'000'000;
    auto root = TJSONRoot::Make<TJSONArray>();
    TJSONTree& tree = *root.Tree();
    TJSONValue* tip = root.get();
    for (int i = 0; i < kDepth; ++i) {
        if (i % 2 == 0)
            tip = &static_cast<TJSONArray*>(tip)->AddElement(tree.New<TJSONObject>());
        else
            tip = &static_cast<TJSONObject*>(tip)->AddPair(u"a", tree.New<TJSONArray>()).JsonValue();
    }
    const std::u16string text = ToJSON(*root, {});
    EXPECT_EQ(text.size(), 1u + kDepth / 2 * 6 + 1u + kDepth / 2 * 2);
    EXPECT_EQ(text.substr(0, 8), u"[{\"a\":[{");
    root.reset();
}

TEST(Detach, TakesAnElementOutOfItsArray)
{
    auto root = Parse(u"[1,[2],3]");
    auto& array = static_cast<TJSONArray&>(*root);
    TJSONValue& middle = array.Element(1);
    ASSERT_TRUE(root.Tree()->Detach(JSONFreeUnit(middle)));
    EXPECT_EQ(middle.Parent(), nullptr);
    EXPECT_EQ(ToJSON(*root, {}), u"[1,3]");
    EXPECT_EQ(ToJSON(middle, {}), u"[2]");
    root.Tree()->Free(middle);
}

TEST(Detach, ThePartsOfAPairTakeTheWholePairOutOfItsObject)
{
    for (int part = 0; part < 3; ++part) {
        auto root = Parse(u"{\"a\":1,\"b\":{\"c\":2},\"d\":3}");
        TJSONPair& pair = static_cast<TJSONObject&>(*root).Pair(1);
        TJSONAncestor& node = part == 0   ? static_cast<TJSONAncestor&>(pair)
                              : part == 1 ? static_cast<TJSONAncestor&>(pair.JsonString())
                                          : static_cast<TJSONAncestor&>(pair.JsonValue());
        EXPECT_EQ(&JSONFreeUnit(node), &pair);
        EXPECT_TRUE(root.Tree()->Detach(JSONFreeUnit(node))) << part;
        EXPECT_EQ(pair.Parent(), nullptr) << part;
        EXPECT_EQ(ToJSON(*root, {}), u"{\"a\":1,\"d\":3}") << part;
        root.Tree()->Free(pair);
    }
}

TEST(Detach, AParentlessNodeHasNothingToLeave)
{
    auto root = TJSONRoot::Make<TJSONObject>();
    EXPECT_FALSE(root.Tree()->Detach(*root));
}

} // namespace
} // namespace bramolt::json
