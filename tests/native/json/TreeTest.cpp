#include "json/JSONError.h"
#include "json/JSONParser.h"
#include "json/JSONValue.h"
#include "json/JSONWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace bramolt::json {
namespace {

std::unique_ptr<TJSONValue> Parse(std::u16string_view text)
{
    auto root = ParseJSONValue(text);
    EXPECT_NE(root, nullptr);
    return root;
}

TEST(Tree, AddsMembersAtTheEndAndFindsTheFirstOfADuplicateKey)
{
    TJSONObject object;
    object.AddPair(u"k", std::make_unique<TJSONString>(u"first"));
    object.AddPair(u"K", std::make_unique<TJSONString>(u"other case"));
    object.AddPair(u"k", std::make_unique<TJSONString>(u"second"));
    EXPECT_EQ(ToJSON(object, {}), u"{\"k\":\"first\",\"K\":\"other case\",\"k\":\"second\"}");
    EXPECT_EQ(static_cast<TJSONString*>(object.Find(u"k"))->Value(), u"first");
    EXPECT_EQ(object.Find(u"missing"), nullptr);
    EXPECT_EQ(object.Find(u""), nullptr);
}

TEST(Tree, BuiltNodesKnowTheirParents)
{
    TJSONArray array;
    TJSONValue& element = array.AddElement(std::make_unique<TJSONObject>());
    TJSONPair& pair = static_cast<TJSONObject&>(element).AddPair(u"n", std::make_unique<TJSONNumber>(u"3"));
    EXPECT_EQ(element.Parent(), &array);
    EXPECT_EQ(pair.Parent(), &element);
    EXPECT_EQ(pair.JsonString().Parent(), &pair);
    EXPECT_EQ(pair.JsonValue().Parent(), &pair);
    EXPECT_EQ(array.Parent(), nullptr);
}

TEST(Tree, RefusesToAddMissingNodes)
{
    TJSONArray array;
    TJSONObject object;
    EXPECT_THROW(array.AddElement(nullptr), EJSONError);
    EXPECT_THROW(object.AddPair(u"k", nullptr), EJSONError);
    EXPECT_THROW(object.AddPair(std::unique_ptr<TJSONPair>()), EJSONError);
    EXPECT_EQ(array.Count(), 0u);
    EXPECT_EQ(object.Count(), 0u);
}

// Trees built node by node have no nesting limit: printing and freeing them must not
// recurse once per level.
TEST(Tree, PrintsAndFreesAMillionLevelsWithoutRecursion)
{
    constexpr int kDepth = 1'000'000;
    auto root = std::make_unique<TJSONArray>();
    TJSONValue* tip = root.get();
    for (int i = 0; i < kDepth; ++i) {
        if (i % 2 == 0)
            tip = &static_cast<TJSONArray*>(tip)->AddElement(std::make_unique<TJSONObject>());
        else
            tip = &static_cast<TJSONObject*>(tip)->AddPair(u"a", std::make_unique<TJSONArray>()).JsonValue();
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
    auto owned = DetachJSONNode(JSONFreeUnit(middle));
    ASSERT_EQ(owned.get(), &middle);
    EXPECT_EQ(middle.Parent(), nullptr);
    EXPECT_EQ(ToJSON(*root, {}), u"[1,3]");
    EXPECT_EQ(ToJSON(*owned, {}), u"[2]");
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
        auto owned = DetachJSONNode(JSONFreeUnit(node));
        EXPECT_EQ(owned.get(), &pair) << part;
        EXPECT_EQ(ToJSON(*root, {}), u"{\"a\":1,\"d\":3}") << part;
    }
}

TEST(Detach, AParentlessNodeHasNothingToLeave)
{
    TJSONObject object;
    EXPECT_EQ(DetachJSONNode(object), nullptr);
}

} // namespace
} // namespace bramolt::json
