#include "text/Utf8.h"
#include "json/JSONStringEscape.h"
#include "json/JSONTree.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace bramolt::json {
namespace {

constexpr TJSONOutputOptions kAllOptions[] = {{false, false}, {true, false}, {false, true}, {true, true}};

// One unit at a time, straight from the rules.
std::u16string Expected(std::u16string_view text, TJSONOutputOptions options)
{
    std::u16string out = u"\"";
    for (char16_t c : text) {
        switch (c) {
        case u'"':
            out += u"\\\"";
            break;
        case u'\\':
            out += u"\\\\";
            break;
        case u'/':
            out += u"\\/";
            break;
        case u'\b':
            out += u"\\b";
            break;
        case u'\t':
            out += u"\\t";
            break;
        case u'\n':
            out += u"\\n";
            break;
        case u'\f':
            out += u"\\f";
            break;
        case u'\r':
            out += u"\\r";
            break;
        default:
            if ((c < 0x20 && options.EncodeBelow32) || (c >= 0x80 && options.EncodeAbove127)) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
                out.append(escape, escape + 6);
            } else {
                out += c;
            }
        }
    }
    return out + u"\"";
}

std::string Describe(std::u16string_view text, TJSONOutputOptions options)
{
    std::string units;
    for (char16_t c : text) {
        char hex[8];
        std::snprintf(hex, sizeof hex, " %04X", static_cast<unsigned>(c));
        units += hex;
    }
    return "options " + std::to_string(options.EncodeBelow32) + std::to_string(options.EncodeAbove127) +
           ", units" + units;
}

template <typename TUnits> class StringEscape : public testing::Test {
  protected:
    // Escapes `text` into a buffer fenced with guard units, checks the length the counting
    // pass gives and that nothing past the allowed overrun was touched.
    static void Check(std::u16string_view text, TJSONOutputOptions options)
    {
        constexpr char16_t kGuard = 0xBEEF;
        constexpr std::size_t kFence = 16;
        const TStringEscaper<TUnits> escaper(options);
        const std::size_t length = escaper.Length(text);
        std::vector<char16_t> buffer(length + TStringEscaper<TUnits>::kOverrun + kFence, kGuard);
        char16_t* end = escaper.Write(text, buffer.data());
        const std::u16string expected = Expected(text, options);
        ASSERT_EQ(length, expected.size()) << Describe(text, options);
        ASSERT_EQ(end, buffer.data() + length) << Describe(text, options);
        ASSERT_EQ(std::u16string(buffer.data(), end), expected) << Describe(text, options);
        for (std::size_t i = buffer.size() - kFence; i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], kGuard) << "written past the overrun: " << Describe(text, options);
    }
};

#if defined(__SSE2__)
using UnitKinds = testing::Types<TWordUnits, TSse2Units>;
#else
using UnitKinds = testing::Types<TWordUnits>;
#endif
TYPED_TEST_SUITE(StringEscape, UnitKinds);

// The units on either side of every class boundary, every character with its own escape,
// and units whose low byte or low bits alone would pass for one of them.
constexpr char16_t kEdges[] = {0x0000, 0x0008, 0x000A, 0x000B, 0x001F, 0x0020, u'"',
                               u'/',   u'\\',  0x007F, 0x0080, 0x00E9, 0x0122, 0x07FF,
                               0x0800, 0x8000, 0x8022, 0x805C, 0xD83D, 0xDE00, 0xFFFF};

TYPED_TEST(StringEscape, OneEdgeUnitAtEveryPositionOfRunsUpToTwenty)
{
    for (const TJSONOutputOptions options : kAllOptions)
        for (const char16_t filler : {u'a', u'\u00E9', u'\x01'})
            for (std::size_t size = 0; size <= 20; ++size)
                for (std::size_t at = 0; at < size; ++at)
                    for (const char16_t edge : kEdges) {
                        std::u16string text(size, filler);
                        text[at] = edge;
                        this->Check(text, options);
                    }
}

TYPED_TEST(StringEscape, SurrogatePairsAndEscapePairsAcrossBlockBoundaries)
{
    for (const TJSONOutputOptions options : kAllOptions)
        for (std::size_t size = 2; size <= 20; ++size)
            for (std::size_t at = 0; at + 1 < size; ++at) {
                std::u16string text(size, u'x');
                text[at] = 0xD83D;
                text[at + 1] = 0xDE00;
                this->Check(text, options);
                text[at] = u'"';
                text[at + 1] = u'\x7F';
                this->Check(text, options);
                for (std::size_t second = at + 1; second < size; ++second) {
                    std::u16string two(size, u'x');
                    two[at] = u'\u0800';
                    two[second] = u'\n';
                    this->Check(two, options);
                }
            }
}

TYPED_TEST(StringEscape, RandomMixturesOfEdgeUnits)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 3000; ++round) {
        std::u16string text(rng() % 41, u'\0');
        for (char16_t& c : text)
            c = rng() % 3 == 0 ? u'q' : kEdges[rng() % std::size(kEdges)];
        this->Check(text, kAllOptions[round % 4]);
    }
}

// The writer may store past a string's end; what follows it must overwrite that.
TEST(StringEscapeInTree, EscapesAtTheEndOfNeighbouringStringsDoNotLeak)
{
    const std::u16string values[] = {u"\u00E9", u"", u"a", u"abcdefg\u00E9", u"abcdefgh\x01", u"\U0001F600"};
    for (const TJSONOutputOptions options : kAllOptions) {
        const auto root = TJSONRoot::Make(TJSONNewNode::Array());
        TJSONTree& tree = *root.Tree();
        auto& array = static_cast<TJSONArray&>(*root);
        std::u16string expected = u"[";
        for (const auto& value : values) {
            tree.AddElement(array, TJSONNewNode::String(value));
            if (expected.size() > 1)
                expected += u',';
            expected += Expected(value, options);
        }
        auto& object = static_cast<TJSONObject&>(tree.AddElement(array, TJSONNewNode::Object()));
        tree.AddMember(object, u"\u00E9/", TJSONNewNode::String(u"\x1F"));
        expected += u",{";
        expected += Expected(u"\u00E9/", options);
        expected += u':';
        expected += Expected(u"\x1F", options);
        expected += u"}]";
        EXPECT_EQ(ToJSON(array, options), expected) << Describe(u"", options);
    }
}

} // namespace
} // namespace bramolt::json
