#include "text/Utf8.h"
#include "json/JSONParser.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace bramolt::json {
namespace {

// The parser tests plain runs of a string several units at a time. A unit that ends the
// run (quotation mark, reverse solidus, and in UTF-8 a byte above ASCII) must be found at
// every position within and across those blocks, in UTF-16 text and in UTF-8 bytes.
struct TScanCase {
    const char* Why;
    std::u16string Special; // written into the JSON text
    std::u16string Value;   // what it stands for in the parsed string
};

const TScanCase kScanCases[] = {
    {"escaped quotation mark", u"\\\"", u"\""},
    {"escaped reverse solidus", u"\\\\", u"\\"},
    {"\\u escape", u"\\u0041", u"A"},
    {"two-byte character", u"\u00E9", u"\u00E9"},
    {"three-byte character", u"\u4E2D", u"\u4E2D"},
    {"surrogate pair", u"\U0001F600", u"\U0001F600"},
    {"unit whose low byte is a quotation mark", u"\u0122", u"\u0122"},
    {"unit whose low byte is a reverse solidus", u"\u015C", u"\u015C"},
    {"unit whose high byte is a quotation mark", u"\u2200", u"\u2200"},
    {"DEL, the last ASCII byte", u"\u007F", u"\u007F"},
};

// Appending part by part: GCC 12 warns falsely (-Wrestrict) on chains of operator+.
std::u16string Join(std::initializer_list<std::u16string_view> parts)
{
    std::u16string text;
    for (auto part : parts)
        text.append(part);
    return text;
}

std::u16string StringValue(const TJSONValue* root)
{
    if (root == nullptr || !root->IsString())
        return u"<not a string>";
    return std::u16string(static_cast<const TJSONString*>(root)->Value());
}

TEST(StringScan, FindsTheEndOfAPlainRunAtEveryOffset)
{
    for (const auto& c : kScanCases) {
        for (std::size_t before = 0; before < 20; ++before) {
            for (std::size_t after : {0u, 1u, 3u, 9u}) {
                const std::u16string a(before, u'a'), b(after, u'b');
                const std::u16string text = Join({u"\"", a, c.Special, b, u"\""});
                const std::u16string expected = Join({a, c.Value, b});
                EXPECT_EQ(StringValue(ParseJSONValue(text).get()), expected) << c.Why << " after " << before;
                EXPECT_EQ(StringValue(ParseJSONValueUtf8(text::ToWtf8(text)).get()), expected)
                    << c.Why << " after " << before;
            }
        }
    }
}

TEST(StringScan, FindsTheClosingQuotationMarkAtEveryOffset)
{
    for (std::size_t length = 0; length < 40; ++length) {
        const std::u16string value(length, u'x');
        // A second string follows, so that reading past the first closing mark would show.
        const std::u16string text = Join({u"[\"", value, u"\",\"y\"]"});
        for (const auto& root : {ParseJSONValue(text), ParseJSONValueUtf8(text::ToWtf8(text))}) {
            ASSERT_NE(root, nullptr) << length;
            ASSERT_TRUE(root->IsArray());
            const auto& array = static_cast<const TJSONArray&>(*root);
            ASSERT_EQ(array.Count(), 2u) << length;
            EXPECT_EQ(StringValue(&array.Element(0)), value);
            EXPECT_EQ(StringValue(&array.Element(1)), u"y");
        }
    }
}

TEST(StringScan, RefusesAStringCutOffAtEveryLength)
{
    for (std::size_t length = 0; length < 20; ++length) {
        const std::u16string text = Join({u"\"", std::u16string(length, u'z')});
        EXPECT_EQ(ParseJSONValue(text), nullptr) << length;
        EXPECT_EQ(ParseJSONValueUtf8(text::ToWtf8(text)), nullptr) << length;
    }
}

} // namespace
} // namespace bramolt::json
