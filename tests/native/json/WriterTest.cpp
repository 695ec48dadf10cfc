#include "text/Utf8.h"
#include "json/JSONParser.h"
#include "json/JSONWriter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace bramolt::json {
namespace {

using namespace std::string_literals;

std::u16string PrintString(const std::u16string& value, TJSONOutputOptions options)
{
    return ToJSON(*TJSONRoot::Make(TJSONNewNode::String(value)), options);
}

TEST(WriterEscapes, FollowTheTableForEachOptionSet)
{
    struct {
        std::u16string Value;
        std::u16string Both;    // EncodeBelow32 and EncodeAbove127
        std::u16string Neither; // no option
    } cases[] = {
        {u"\"", u"\\\"", u"\\\""},
        {u"a/b", u"a\\/b", u"a\\/b"}, // the solidus is always escaped
        {u"\\", u"\\\\", u"\\\\"},
        {u"\b\t\n\f\r", u"\\b\\t\\n\\f\\r", u"\\b\\t\\n\\f\\r"},
        {u"\x01", u"\\u0001", u"\x01"},
        {u"\x1F", u"\\u001F", u"\x1F"},
        {u"\0"s, u"\\u0000", u"\0"s},
        {u"\x0B", u"\\u000B", u"\x0B"},
        {u" ~\x7F", u" ~\x7F", u" ~\x7F"}, // U+007F is never escaped
        {u"\u0080", u"\\u0080", u"\u0080"},
        {u"\u00E9", u"\\u00E9", u"\u00E9"},
        {u"\uABCD", u"\\uABCD", u"\uABCD"}, // upper-case hexadecimal digits
        {u"\uFFFF", u"\\uFFFF", u"\uFFFF"},
        {u"\U0001F600", u"\\uD83D\\uDE00", u"\U0001F600"}, // a pair becomes two escapes
        {u"\xDC00", u"\\uDC00", u"\xDC00"},
        {u"", u"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PrintString(c.Value, {true, true}), u"\"" + c.Both + u"\"") << text::ToWtf8(c.Value);
        EXPECT_EQ(PrintString(c.Value, {false, false}), u"\"" + c.Neither + u"\"") << text::ToWtf8(c.Value);
    }
}

TEST(WriterEscapes, OptionsActIndependently)
{
    const std::u16string value = u"\x01\u00E9";
    EXPECT_EQ(PrintString(value, {true, false}), u"\"\\u0001\u00E9\"");
    EXPECT_EQ(PrintString(value, {false, true}), u"\"\x01\\u00E9\"");
}

TEST(WriterEscapes, EscapeLongStringsAcrossBufferChunks)
{
    std::u16string value;
    for (int i = 0; i < 10'000; ++i)
        value += i % 3 == 0 ? u"\u00E9" : u"/";
    std::u16string expected = u"\"";
    for (int i = 0; i < 10'000; ++i)
        expected += i % 3 == 0 ? u"\\u00E9" : u"\\/";
    expected += u"\"";
    EXPECT_EQ(PrintString(value, {true, true}), expected);
}

TEST(Writer, PrintsEveryKindCompactly)
{
    struct {
        std::u16string Input;
        std::u16string Printed;
    } cases[] = {
        {u"{}", u"{}"},
        {u"[ ]", u"[]"},
        {u"[true,false,null]", u"[true,false,null]"},
        {u"{\"a\" : { } , \"b\" : [ [ ] , { \"c\" : 1 } ] }", u"{\"a\":{},\"b\":[[],{\"c\":1}]}"},
        {u"\"\u00E9/\t\"", u"\"\\u00E9\\/\\t\""},
        {u"-1.50E+07", u"-1.50E+07"},
        {u"{\"\u00E9\":\"x\"}", u"{\"\\u00E9\":\"x\"}"}, // keys are escaped like strings
    };
    for (const auto& c : cases) {
        auto root = ParseJSONValue(c.Input);
        ASSERT_NE(root, nullptr) << text::ToWtf8(c.Input);
        EXPECT_EQ(ToJSON(*root, {true, true}), c.Printed) << text::ToWtf8(c.Input);
    }
}

TEST(Writer, PrintsAPairAsKeyColonValueWithoutBraces)
{
    auto root = ParseJSONValue(u"{\"k/1\":[1,{\"x\":null}]}");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ToJSON(static_cast<TJSONObject&>(*root).Pair(0), {true, true}), u"\"k\\/1\":[1,{\"x\":null}]");
}

TEST(Writer, PrintsBuiltBooleansAndANodeInsideATree)
{
    const auto root = TJSONRoot::Make(TJSONNewNode::Object());
    auto& object = static_cast<TJSONObject&>(*root);
    TJSONTree& tree = *root.Tree();
    tree.AddMember(object, u"ok", TJSONNewNode::Bool(true));
    auto& inner =
        static_cast<TJSONArray&>(tree.AddMember(object, u"list", TJSONNewNode::Array()).JsonValue());
    tree.AddElement(inner, TJSONNewNode::Bool(false));
    EXPECT_EQ(ToJSON(object, {}), u"{\"ok\":true,\"list\":[false]}");
    EXPECT_EQ(ToJSON(inner, {}), u"[false]");
}

} // namespace
} // namespace bramolt::json
