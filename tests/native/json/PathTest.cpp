#include "text/Utf8.h"
#include "json/JSONParser.h"
#include "json/JSONPath.h"
#include "json/JSONWriter.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace bramolt::json {
namespace {

TJSONPathStep Name(std::u16string name)
{
    return {TJSONPathStep::skName, std::move(name), 0};
}
TJSONPathStep Index(std::int32_t index)
{
    return {TJSONPathStep::skIndex, {}, index};
}

TEST(PathSyntax, ReadsValidPaths)
{
    struct {
        std::u16string Path;
        std::vector<TJSONPathStep> Steps;
    } cases[] = {
        {u"", {}},
        {u" \t\r\n", {}},
        {u"a", {Name(u"a")}},
        {u"a.b[0]", {Name(u"a"), Name(u"b"), Index(0)}},
        {u"[0].name", {Index(0), Name(u"name")}},
        {u"['a.b'].c", {Name(u"a.b"), Name(u"c")}},
        {u"a[1][2]", {Name(u"a"), Index(1), Index(2)}},
        {u" a . b [ 3 ] . c ", {Name(u"a"), Name(u"b"), Index(3), Name(u"c")}},
        {u"\x01\x1F"
         u"a",
         {Name(u"a")}},                               // control characters are skipped like blanks
        {u"a b.c d", {Name(u"a b"), Name(u"c d")}},   // blanks inside a name stay
        {u"a]b.c\"d", {Name(u"a]b"), Name(u"c\"d")}}, // so do ] and quotes
        {u"[\"x\"]", {Name(u"x")}},
        {u"[ 'x' ]", {Name(u"x")}},
        {u"['']", {Name(u"")}},
        {u"['a[b.c]']", {Name(u"a[b.c]")}},
        {u"['it\\'s']", {Name(u"it's")}},
        {u"[\"say \\\"hi\\\"\"]", {Name(u"say \"hi\"")}},
        {u"[\"it's\"]", {Name(u"it's")}},
        {u"['a\\b']", {Name(u"a\\b")}},   // a backslash before anything else stays
        {u"['a\\\"']", {Name(u"a\\\"")}}, // ... the other quote character included
        {u"[-1]", {Index(-1)}},
        {u"[+7]", {Index(7)}},
        {u"[007]", {Index(7)}},
        {u"[$1F]", {Index(31)}},
        {u"[$ff]", {Index(255)}},
        {u"[0x10]", {Index(16)}},
        {u"[$FFFFFFFF]", {Index(-1)}},
        {u"[2147483647]", {Index(2147483647)}},
        {u"[-2147483648]", {Index(-2147483647 - 1)}},
        {u"a['b'][0].c", {Name(u"a"), Name(u"b"), Index(0), Name(u"c")}},
    };
    for (const auto& c : cases) {
        const auto steps = ParseJSONPath(c.Path);
        ASSERT_TRUE(steps.has_value()) << text::ToWtf8(c.Path);
        EXPECT_EQ(*steps, c.Steps) << text::ToWtf8(c.Path);
    }
}

TEST(PathSyntax, RejectsInvalidPaths)
{
    struct {
        const char* Why;
        std::u16string Path;
    } cases[] = {
        {"dot first", u".a"},
        {"dot first after blanks", u"  .a"},
        {"empty name between dots", u"a..b"},
        {"blank name between dots", u"a. .b"},
        {"dot before a bracket", u"a.[0]"},
        {"trailing dot", u"a."},
        {"trailing dot and blanks", u"a.  "},
        {"unclosed bracket", u"a[0"},
        {"unclosed quoted name", u"['a]"},
        {"quoted name without ]", u"['a'"},
        {"escaped closing quote", u"['a\\']"},
        {"empty index", u"[]"},
        {"blank index", u"[ ]"},
        {"letters as index", u"[x]"},
        {"fraction as index", u"[1.5]"},
        {"two numbers as index", u"[1 2]"},
        {"index above 32 bits", u"[2147483648]"},
        {"index below 32 bits", u"[-2147483649]"},
        {"hex above 32 bits", u"[$100000000]"},
        {"dollar alone", u"[$]"},
        {"0x alone", u"[0x]"},
        {"sign before hex", u"[-$1]"},
        {"text after an index", u"[0]x"},
        {"text after a quoted name", u"['a']b"},
        {"text inside brackets after a quoted name", u"['a' x]"},
        {"mixed quotes", u"['a\"]"},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(ParseJSONPath(c.Path).has_value()) << c.Why << ": " << text::ToWtf8(c.Path);
}

class PathEvaluation : public ::testing::Test {
  protected:
    void SetUp() override
    {
        FRoot =
            ParseJSONValue(u"{\"k\":1,\"k\":2,\"a.b\":\"dot\",\"a\":{\"b\":\"nested\"},\"q\\\"uote\":\"qq\","
                           u"\"it's\":\"ap\",\"arr\":[10,20,[30,40]],\"\":\"empty\",\"K\":\"upper\"}");
        ASSERT_NE(FRoot, nullptr);
    }
    std::u16string At(std::u16string_view path)
    {
        TJSONAncestor* node = FindJSONPath(FRoot.Ref(), path).Node;
        return node == nullptr ? u"<none>" : ToJSON(*node, {});
    }
    TJSONRoot FRoot;
};

TEST_F(PathEvaluation, FindsNodesByNameAndIndex)
{
    struct {
        std::u16string Path;
        std::u16string Printed;
    } cases[] = {
        {u"k", u"1"}, // the first of two members with the same key
        {u"K", u"\"upper\""},
        {u"['a.b']", u"\"dot\""},
        {u"a.b", u"\"nested\""},
        {u"[\"q\\\"uote\"]", u"\"qq\""},
        {u"['q\"uote']", u"\"qq\""},
        {u"[\"it's\"]", u"\"ap\""},
        {u"['it\\'s']", u"\"ap\""},
        {u"['']", u"\"empty\""},
        {u"arr[1]", u"20"},
        {u" arr [ 1 ] ", u"20"},
        {u"arr[0x1]", u"20"},
        {u"arr[$2][1]", u"40"},
        {u"arr", u"[10,20,[30,40]]"},
        {u"arr[3]", u"<none>"},
        {u"arr[-1]", u"<none>"},
        {u"arr[$FFFFFFFF]", u"<none>"},
        {u"arr.x", u"<none>"}, // a name step on an array
        {u"k[0]", u"<none>"},  // an index step on a number
        {u"[0]", u"<none>"},   // an index step on an object
        {u"a.b.c", u"<none>"}, // a name step on a string
        {u"missing", u"<none>"},
        {u"a..b", u"<none>"}, // syntax error
    };
    for (const auto& c : cases)
        EXPECT_EQ(At(c.Path), c.Printed) << text::ToWtf8(c.Path);
}

TEST_F(PathEvaluation, TheEmptyPathDesignatesTheStart)
{
    EXPECT_EQ(FindJSONPath(FRoot.Ref(), u"").Node, FRoot.get());
    EXPECT_EQ(FindJSONPath(FRoot.Ref(), u"  ").Node, FRoot.get());
    const TJSONNodeRef text = FindJSONPath(FRoot.Ref(), u"a.b");
    ASSERT_NE(text.Node, nullptr);
    EXPECT_EQ(text.Holder, FindJSONPath(FRoot.Ref(), u"a").Node); // the object that lists it
    EXPECT_EQ(FindJSONPath(FRoot.Ref(), u"arr[2][1]").Holder, FindJSONPath(FRoot.Ref(), u"arr[2]").Node);
    EXPECT_EQ(FindJSONPath(text, u"").Node, text.Node);
}

TEST_F(PathEvaluation, APairIsNoStartingPoint)
{
    auto& object = static_cast<TJSONObject&>(*FRoot);
    const TJSONNodeRef pair{&object.Pair(0), FRoot.Tree(), &object};
    EXPECT_EQ(FindJSONPath(pair, u"").Node, nullptr);
    EXPECT_EQ(FindJSONPath(pair, u"k").Node, nullptr);
}

} // namespace
} // namespace bramolt::json
