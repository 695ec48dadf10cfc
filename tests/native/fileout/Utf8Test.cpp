#include "fileout/Utf8.h"

#include <gtest/gtest.h>

namespace bramolt::fileout {
namespace {

TEST(Utf16ToUtf8, ConvertsEveryLengthOfSequenceAndReplacesLoneSurrogates)
{
    const struct {
        std::u16string_view Input;
        std::string_view Expected;
        const char* Why;
    } rows[] = {
        {u"", "", "empty text, no byte-order mark"},
        {u"Az~\x7F", "Az~\x7F", "ASCII unchanged"},
        {u"\u00E9", "\xC3\xA9", "two bytes"},
        {u"\u20AC", "\xE2\x82\xAC", "three bytes"},
        {u"\uFEFF", "\xEF\xBB\xBF", "a leading U+FEFF in the text is data, kept"},
        {u"\U0001F600", "\xF0\x9F\x98\x80", "surrogate pair to four bytes"},
        {u"a\xD800"
         "b",
         "a\xEF\xBF\xBD"
         "b",
         "lone high surrogate"},
        {u"a\xDC00", "a\xEF\xBF\xBD", "lone low surrogate"},
        {u"\xD83D", "\xEF\xBF\xBD", "high surrogate at the end"},
        {u"\xDC00\xD800", "\xEF\xBF\xBD\xEF\xBF\xBD", "pair in the wrong order"},
        {u"\xD800\xD800\xDC00", "\xEF\xBF\xBD\xF0\x90\x80\x80", "lone high before a proper pair"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Utf16ToUtf8(row.Input), row.Expected) << row.Why;
}

TEST(Utf8ToUtf16, DecodesWellFormedAndReplacesEachBadByte)
{
    const struct {
        std::string_view Input;
        std::u16string_view Expected;
        const char* Why;
    } rows[] = {
        {"Az", u"Az", "ASCII"},
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", u"\u00E9\u20AC\U0001F600", "each length"},
        {"\xC0\x80", u"\uFFFD\uFFFD", "overlong NUL"},
        {"\xE0\x80\x80", u"\uFFFD\uFFFD\uFFFD", "overlong three bytes"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", "encoded surrogate"},
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", "above U+10FFFF"},
        {"\xE2\x82", u"\uFFFD\uFFFD", "truncated at the end"},
        {"\xE2(", u"\uFFFD(", "truncated before ASCII"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Utf8ToUtf16(row.Input), row.Expected) << row.Why;
}

TEST(Utf8RoundTrip, EveryCodePointSurvives)
{
    std::u16string all;
    for (char32_t code = 1; code <= 0x10FFFF; code += (code < 0x10000 ? 1 : 97)) {
        if (code >= 0xD800 && code <= 0xDFFF)
            continue;
        if (code < 0x10000) {
            all += static_cast<char16_t>(code);
        } else {
            all += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            all += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        }
    }
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(all)), all);
}

} // namespace
} // namespace bramolt::fileout
