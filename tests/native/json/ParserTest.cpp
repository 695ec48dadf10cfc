#include "text/Utf8.h"
#include "json/JSONParser.h"
#include "json/JSONWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace bramolt::json {
namespace {

using namespace std::string_literals;

constexpr TJSONOutputOptions kBothEscapes{true, true};

struct TParseCase {
    const char* Why;
    std::u16string Text;
};

std::string Show(const std::u16string& text)
{
    return text::ToWtf8(text);
}

const TParseCase kValidTexts[] = {
    {"empty object", u"{}"},
    {"empty array", u"[]"},
    {"blanks around a top-level object", u" {} "},
    {"all four whitespace characters around an array", u"\t\r\n [ \t1\r\n, 2 ]\n\r\t "},
    {"blanks around colon and commas", u"{ \"a\" : [1, 2.50, -0, 1E+2] }"},
    {"whitespace before a top-level scalar", u"  1"},
    {"literal true", u"true"},
    {"literal false", u"false"},
    {"literal null", u"null"},
    {"zero", u"0"},
    {"negative zero", u"-0"},
    {"fraction and exponent", u"-12.5e-3"},
    {"upper-case exponent with plus", u"1E+2"},
    {"empty string", u"\"\""},
    {"every short escape", u"\"\\\" \\\\ \\/ \\b \\f \\n \\r \\t\""},
    {"\\u escape in either letter case", u"\"\\u00e9\\u00E9\\uABcd\""},
    {"escaped lone surrogate", u"[\"\\uD800\"]"},
    {"raw tab and other controls in a string", u"\"a\tb\x01\x1F\""},
    {"non-ASCII in a string", u"[\"\u00E9\u4E2D\U0001F600\"]"},
    {"byte order mark", u"\uFEFF[1]"},
    {"byte order mark before a scalar", u"\uFEFF1"},
    {"duplicate keys", u"{\"a\":1,\"a\":2}"},
    {"nested containers", u"{\"a\":[{\"b\":{}},[[]],{}]}"},
    {"long integer kept as text", u"123456789012345678901234567890"},
    {"huge exponent kept as text", u"1e99999"},
};

const TParseCase kInvalidTexts[] = {
    {"empty text", u""},
    {"blanks only", u"   "},
    {"byte order mark only", u"\uFEFF"},
    {"two byte order marks", u"\uFEFF\uFEFF[1]"},
    {"trailing blank after true", u"true "},
    {"trailing blank after a number", u"1 "},
    {"trailing newline after a string", u"\"a\"\n"},
    {"comma before ]", u"[1,]"},
    {"comma before }", u"{\"a\":1,}"},
    {"leading comma", u"[,1]"},
    {"leading zero", u"01"},
    {"leading zero in an array", u"[01]"},
    {"negative leading zero", u"-01"},
    {"number ending in a point", u"1."},
    {"number starting with a point", u".5"},
    {"plus sign", u"+1"},
    {"lone minus", u"-"},
    {"minus before a point", u"-.5"},
    {"exponent without digits", u"1e"},
    {"exponent sign without digits", u"1e+"},
    {"hexadecimal", u"0x10"},
    {"NaN", u"NaN"},
    {"Infinity", u"-Infinity"},
    {"capitalised literal", u"True"},
    {"truncated literal", u"nul"},
    {"literal with extra letters", u"nulls"},
    {"missing comma", u"[1 2]"},
    {"missing colon", u"{\"a\" 1}"},
    {"unquoted key", u"{a:1}"},
    {"single-quoted string", u"['a']"},
    {"member without value", u"{\"a\":}"},
    {"number as key", u"{1:1}"},
    {"unclosed array", u"[1"},
    {"unclosed object", u"{\"a\":1"},
    {"unclosed string", u"\"abc"},
    {"unclosed string in an array", u"[\"abc]"},
    {"closing bracket only", u"]"},
    {"mismatched brackets", u"[1}"},
    {"two top-level values", u"{}{}"},
    {"extra closing bracket", u"[]]"},
    {"text after an array", u"[1]x"},
    {"unknown escape", u"\"\\x\""},
    {"escaped apostrophe", u"\"\\'\""},
    {"short \\u escape", u"\"\\u12\""},
    {"bad hex digit", u"\"\\u12G4\""},
    {"backslash at the end", u"\"\\"},
    {"non-ASCII outside a string", u"[1,\u00E9]"},
    {"no-break space is not whitespace", u"\u00A0[1]"},
    {"form feed is not whitespace", u"\f[1]"},
    {"vertical tab is not whitespace", u"[1,\v2]"},
    {"NUL outside a string", u"[1,\0]"s},
    {"lone surrogate outside a string", u"[\xD800]"},
    {"comment", u"[1]//"},
};

TEST(ParserTable, AcceptsValidText)
{
    for (const auto& c : kValidTexts)
        EXPECT_NE(ParseJSONValue(c.Text), nullptr) << c.Why << ": " << Show(c.Text);
}

TEST(ParserTable, RejectsInvalidText)
{
    for (const auto& c : kInvalidTexts)
        EXPECT_EQ(ParseJSONValue(c.Text), nullptr) << c.Why << ": " << Show(c.Text);
}

TEST(ParserBytes, ChecksUtf8InsideStrings)
{
    struct {
        const char* Why;
        std::string Bytes;
        bool Valid;
    } cases[] = {
        {"two-byte sequence", "\"\xC3\xA9\"", true},
        {"four-byte sequence", "\"\xF0\x9F\x98\x80\"", true},
        {"encoded lone surrogate (WTF-8)", "\"\xED\xA0\x80\"", true},
        {"truncated sequence", "\"\xC3\"", false},
        {"sequence cut by the end", "\"\xE4\xB8", false},
        {"overlong NUL", "\"\xC0\x80\"", false},
        {"overlong three-byte form", "\"\xE0\x80\xAF\"", false},
        {"above U+10FFFF", "\"\xF4\x90\x80\x80\"", false},
        {"stray continuation byte", "\"\x80\"", false},
        {"byte FF", "\"\xFF\"", false},
        {"raw NUL inside a string", std::string("\"a\0b\"", 5), true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseJSONValueUtf8(c.Bytes) != nullptr, c.Valid) << c.Why;
}

TEST(Parser, KeepsNumberTextsExactly)
{
    const std::u16string texts[] = {
        u"-0",    u"2.50", u"1E+2", u"1e-0007", u"0.000", u"-1.0E+10", u"123456789012345678901234567890",
        u"5e-400"};
    for (const auto& text : texts) {
        auto root = ParseJSONValue(text);
        ASSERT_NE(root, nullptr) << Show(text);
        ASSERT_TRUE(root->IsNumber());
        EXPECT_EQ(static_cast<TJSONNumber&>(*root).Text(), text);
    }
}

TEST(Parser, PrintsSpacedInputCompactWithNumbersAsWritten)
{
    auto root = ParseJSONValue(u" { \"a\" : [1, 2.50, -0, 1E+2] } ");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ToJSON(*root, kBothEscapes), u"{\"a\":[1,2.50,-0,1E+2]}");
}

TEST(Parser, BuildsTheClassesOfTheNodeModel)
{
    auto root = ParseJSONValue(u"[true,false,null,\"s\",7,{},[]]");
    ASSERT_NE(root, nullptr);
    auto& array = static_cast<TJSONArray&>(*root);
    ASSERT_EQ(array.Count(), 7u);
    // Nodes carry their class as their kind (they have no virtual functions).
    EXPECT_TRUE(array.Element(0).IsBool() && static_cast<TJSONBool&>(array.Element(0)).Value());
    EXPECT_TRUE(array.Element(1).IsBool() && !static_cast<TJSONBool&>(array.Element(1)).Value());
    EXPECT_TRUE(array.Element(2).IsNull());
    EXPECT_TRUE(array.Element(3).IsString() && !array.Element(3).IsNumber());
    // A number is a string in every kind test and class test.
    EXPECT_TRUE(array.Element(4).IsString() && array.Element(4).IsNumber());
    EXPECT_EQ(static_cast<TJSONNumber&>(array.Element(4)).Value(), "7");
    EXPECT_EQ(static_cast<TJSONString&>(array.Element(4)).Text(), u"7");
    EXPECT_TRUE(array.Element(5).IsObject());
    EXPECT_TRUE(array.Element(6).IsArray());
    for (std::size_t i = 0; i < array.Count(); ++i)
        EXPECT_TRUE(array.Element(i).FOwned) << i;
}

TEST(Parser, KeepsDuplicateKeysInOrder)
{
    auto root = ParseJSONValue(u"{\"a\":1,\"b\":2,\"a\":3}");
    ASSERT_NE(root, nullptr);
    auto& object = static_cast<TJSONObject&>(*root);
    ASSERT_EQ(object.Count(), 3u);
    EXPECT_EQ(object.Pair(0).Key(), u"a");
    EXPECT_EQ(object.Pair(2).Key(), u"a");
    EXPECT_EQ(ToJSON(object, kBothEscapes), u"{\"a\":1,\"b\":2,\"a\":3}");
}

TEST(Parser, DecodesEscapesToUtf16Units)
{
    auto root = ParseJSONValue(u"\"\\\"\\\\\\/\\b\\f\\n\\r\\t\\u0041\\uD83D\\uDE00\\u0000\"");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(static_cast<TJSONString&>(*root).Value(), std::u16string(u"\"\\/\b\f\n\r\tA\U0001F600\0", 12));
}

std::u16string Nested(std::size_t depth, std::u16string_view open, std::u16string_view close)
{
    std::u16string text;
    for (std::size_t i = 0; i < depth; ++i)
        text += open;
    for (std::size_t i = 0; i < depth; ++i)
        text += close;
    return text;
}

TEST(Parser, NestsUpTo512Levels)
{
    EXPECT_NE(ParseJSONValue(Nested(512, u"[", u"]")), nullptr);
    EXPECT_EQ(ParseJSONValue(Nested(513, u"[", u"]")), nullptr);
    // Objects and arrays count together.
    EXPECT_NE(ParseJSONValue(Nested(256, u"{\"a\":[", u"]}")), nullptr);
    EXPECT_EQ(ParseJSONValue(Nested(1, u"[", u"]").insert(1, Nested(256, u"{\"a\":[", u"]}"))), nullptr);
    // Far deeper input is refused, not a stack overflow.
    EXPECT_EQ(ParseJSONValue(Nested(1'000'000, u"[", u"]")), nullptr);
}

TEST(Parser, KeepsLoneSurrogatesThroughParseAndPrint)
{
    const std::u16string raw = u"[\"a\xD800z\xDC01\"]";
    auto root = ParseJSONValue(raw);
    ASSERT_NE(root, nullptr);
    const auto& text = static_cast<TJSONString&>(static_cast<TJSONArray&>(*root).Element(0)).Value();
    EXPECT_EQ(text, u"a\xD800z\xDC01");
    EXPECT_EQ(ToJSON(*root, {}), raw);
    EXPECT_EQ(ToJSON(*root, kBothEscapes), u"[\"a\\uD800z\\uDC01\"]");
    // A proper pair stays a pair.
    auto pair = ParseJSONValue(u"\"\U0001F600\"");
    ASSERT_NE(pair, nullptr);
    EXPECT_EQ(ToJSON(*pair, kBothEscapes), u"\"\\uD83D\\uDE00\"");
}

TEST(Parser, TakesNulInsideStringsAsAnOrdinaryCharacter)
{
    const std::u16string raw(u"{\"k\0y\":\"a\0b\"}", 13);
    auto root = ParseJSONValue(raw);
    ASSERT_NE(root, nullptr);
    const auto& pair = static_cast<TJSONObject&>(*root).Pair(0);
    EXPECT_EQ(pair.Key(), std::u16string(u"k\0y", 3));
    EXPECT_EQ(static_cast<const TJSONString&>(pair.JsonValue()).Value(), std::u16string(u"a\0b", 3));
    EXPECT_EQ(ToJSON(*root, kBothEscapes), u"{\"k\\u0000y\":\"a\\u0000b\"}");
}

// About 100 MB of UTF-16 text parses and prints back identically. Long strings keep the
// tree (and the test's memory) small; the parser's hot loops still see every byte.
TEST(Parser, ParsesAHundredMegabyteDocument)
{
    const std::u16string record =
        u"{\"id\":12345,\"ok\":true,\"text\":\"" + std::u16string(400, u'x') + u"\\u00E9\\n\"},";
    const std::size_t count = 100'000'000 / (record.size() * sizeof(char16_t));
    std::u16string text = u"[";
    text.reserve(count * record.size() + 2);
    for (std::size_t i = 0; i < count; ++i)
        text += record;
    text.back() = u']';
    auto root = ParseJSONValue(text);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(static_cast<TJSONArray&>(*root).Count(), count);
    EXPECT_TRUE(ToJSON(*root, {true, true}) == text);
}

} // namespace
} // namespace bramolt::json
