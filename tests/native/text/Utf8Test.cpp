#include "text/Utf8.h"

#include <gtest/gtest.h>

namespace bramolt::text {
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
        EXPECT_EQ(ToUtf8(row.Input), row.Expected) << row.Why;
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
        EXPECT_EQ(FromUtf8(row.Input), row.Expected) << row.Why;
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
    EXPECT_EQ(FromUtf8(ToUtf8(all)), all);
}

// Both choices for lone surrogates, side by side. Each row says which conversions it holds for:
//   Both    text <-> bytes under WTF-8 and UTF-8 alike, in both directions;
//   Wtf8    text <-> bytes under WTF-8 only (lone surrogates kept);
//   ToUtf8  text -> bytes under UTF-8 (lone surrogates replaced);
//   Read    bytes -> text under both (malformed bytes, one U+FFFD each);
//   FromUtf8 bytes -> text under UTF-8 only (encoded surrogates refused).
TEST(LoneSurrogateChoice, EdgesOfEachConversion)
{
    enum TCheck { Both, Wtf8, ToUtf8Only, Read, FromUtf8Only };
    const struct {
        TCheck Check;
        std::u16string_view Text;
        std::string_view Bytes;
        const char* Why;
    } rows[] = {
        {Both, std::u16string_view(u"\u0000\u007F", 2), std::string_view("\x00\x7F", 2),
         "one byte, both ends"},
        {Both, u"\u0080\u07FF", "\xC2\x80\xDF\xBF", "two bytes, both ends"},
        {Both, u"\u0800\uD7FF\uE000\uFFFF", "\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF",
         "three bytes, both ends and around the surrogates"},
        {Both, u"\U00010000\U0010FFFF", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", "four bytes, both ends"},
        {Wtf8, u"\xD800", "\xED\xA0\x80", "lone high surrogate kept"},
        {Wtf8,
         u"\xDFFF"
         u"a",
         "\xED\xBF\xBF"
         "a",
         "lone low surrogate kept"},
        {Wtf8, u"\xDC00\xD800", "\xED\xB0\x80\xED\xA0\x80", "reversed pair: two lone surrogates"},
        {Wtf8, u"\xD800\xD83D\xDE00", "\xED\xA0\x80\xF0\x9F\x98\x80", "lone high before a pair"},
        {ToUtf8Only, u"\xD800", "\xEF\xBF\xBD", "lone high surrogate replaced"},
        {ToUtf8Only, u"x\xDFFF", "x\xEF\xBF\xBD", "lone low surrogate replaced"},
        {ToUtf8Only, u"\xDBFF\xDBFF\xDC00", "\xEF\xBF\xBD\xF4\x8F\xB0\x80", "lone high before a pair"},
        {FromUtf8Only, u"\uFFFD\uFFFD\uFFFD", "\xED\xA0\x80", "encoded high surrogate refused"},
        {FromUtf8Only, u"\uFFFD\uFFFD\uFFFDa",
         "\xED\xBF\xBF"
         "a",
         "encoded low surrogate refused"},
        {Read, u"\uFFFD\uFFFD", "\xC1\xBF", "overlong two bytes"},
        {Read, u"\uFFFD\uFFFD\uFFFD", "\xE0\x9F\xBF", "overlong three bytes"},
        {Read, u"\uFFFD\uFFFD\uFFFD\uFFFD", "\xF0\x8F\xBF\xBF", "overlong four bytes"},
        {Read, u"\uFFFD\uFFFD\uFFFD\uFFFD", "\xF4\x90\x80\x80", "above U+10FFFF"},
        {Read, u"\uFFFD\uFFFD", "\xF5\xFF", "bytes that lead nothing"},
        {Read, u"a\uFFFDb",
         "a\x80"
         "b",
         "stray continuation byte"},
        {Read, u"\uFFFD", "\xC3", "two bytes cut after one"},
        {Read, u"\uFFFD\uFFFD", "\xE2\x82", "three bytes cut after two"},
        {Read, u"\uFFFD\uFFFD\uFFFD", "\xF0\x9F\x98", "four bytes cut after three"},
        {Read, u"\uFFFD\uFFFD\U0001F600", "\xF0\x9F\xF0\x9F\x98\x80", "cut sequence before a whole one"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Why);
        const std::string bytes(row.Bytes);
        const std::u16string text(row.Text);
        if (row.Check == Both || row.Check == Wtf8) {
            EXPECT_EQ(ToWtf8(text), bytes);
            EXPECT_EQ(FromWtf8(bytes), text);
        }
        if (row.Check == Both || row.Check == ToUtf8Only) {
            EXPECT_EQ(ToUtf8(text), bytes);
        }
        if (row.Check == Both || row.Check == Read || row.Check == FromUtf8Only) {
            EXPECT_EQ(FromUtf8(bytes), text);
        }
        if (row.Check == Read) {
            EXPECT_EQ(FromWtf8(bytes), text);
        }
    }
}

// ASCII is taken four units at a time: every other unit must hand over to the unit-by-unit
// path wherever it falls in such a block, also a pair split across two blocks.
TEST(Utf16ToUtf8, NonAsciiAtEveryOffsetOfTheAsciiBlocks)
{
    const struct {
        std::u16string_view Unit;
        std::string_view Utf8;
        std::string_view Wtf8;
        const char* Why;
    } rows[] = {
        {u"\u0080", "\xC2\x80", "\xC2\x80", "first unit above ASCII"},
        {u"\u0141", "\xC5\x81", "\xC5\x81", "low byte alone looks like ASCII 'A'"},
        {u"\u4100", "\xE4\x84\x80", "\xE4\x84\x80", "high byte 'A', low byte NUL"},
        {u"\U0001F600", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80", "surrogate pair"},
        {u"\xD800", "\xEF\xBF\xBD", "\xED\xA0\x80", "lone high surrogate"},
        {u"\xDC00", "\xEF\xBF\xBD", "\xED\xB0\x80", "lone low surrogate"},
    };
    for (const auto& row : rows) {
        for (std::size_t before = 0; before <= 9; ++before) {
            for (std::size_t after = 0; after <= 5; ++after) {
                SCOPED_TRACE(std::string(row.Why) + ", " + std::to_string(before) + " before, " +
                             std::to_string(after) + " after");
                const std::u16string text =
                    std::u16string(before, u'a') + std::u16string(row.Unit) + std::u16string(after, u'z');
                const std::string utf8 =
                    std::string(before, 'a') + std::string(row.Utf8) + std::string(after, 'z');
                const std::string wtf8 =
                    std::string(before, 'a') + std::string(row.Wtf8) + std::string(after, 'z');
                EXPECT_EQ(ToUtf8(text), utf8);
                EXPECT_EQ(ToWtf8(text), wtf8);
                const TUtf8Buffer buffer = ToUtf8Buffer(text);
                EXPECT_EQ(std::string_view(buffer.FBytes.get(), buffer.FSize), utf8);
            }
        }
    }
}

// The buffer is first made for mostly ASCII; text that outgrows it is counted and moved to a
// larger one, which must hold whole characters however the first one ended.
TEST(Utf16ToUtf8, BufferOutgrownByTextOfEveryWidth)
{
    const std::u16string_view pieces[] = {u"a", u"\u00E9", u"\u20AC", u"\U0001F600", u"\xD800"};
    for (std::size_t ascii = 0; ascii <= 20; ++ascii) {
        for (const std::u16string_view piece : pieces) {
            for (std::size_t count = 0; count <= 40; ++count) {
                std::u16string text(ascii, u'x');
                for (std::size_t i = 0; i < count; ++i)
                    text += piece;
                SCOPED_TRACE(ToUtf8(text));
                const TUtf8Buffer buffer = ToUtf8Buffer(text);
                EXPECT_EQ(std::string_view(buffer.FBytes.get(), buffer.FSize), ToUtf8(text));
            }
        }
    }
}

} // namespace
} // namespace bramolt::text
