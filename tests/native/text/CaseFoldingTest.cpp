#include "text/CaseFolding.h"

#include <gtest/gtest.h>

#include <span>

namespace bramolt::text {
namespace {

struct TPairRow {
    std::u16string_view A;
    std::u16string_view B;
    bool Expected;
    const char* Why;
};

// Each row both ways round: the comparison must not depend on the order of its texts.
template <typename Equals> void ExpectRows(std::span<const TPairRow> rows, Equals equals)
{
    for (const TPairRow& row : rows) {
        EXPECT_EQ(equals(row.A, row.B), row.Expected) << row.Why;
        EXPECT_EQ(equals(row.B, row.A), row.Expected) << row.Why << " (swapped)";
    }
}

TEST(EqualsIgnoringAsciiCase, FoldsOnlyTheAsciiLetters)
{
    const TPairRow rows[] = {
        {u"", u"", true, "two empty texts"},
        {u"True", u"tRUE", true, "letters of either case"},
        {u"AUTH", u"AUTH ", false, "a trailing blank is a different length"},
        {u"a", u"", false, "a prefix is not the whole"},
        {u"@[`{", u"@[`{", true, "the neighbours of the letter ranges match themselves"},
        {u"@", u"`", false, "'@' and '`' sit 32 apart but are no letters"},
        {u"[", u"{", false, "'[' and '{' sit 32 apart but are no letters"},
        {u"\u00E9", u"\u00C9", false, "Latin-1 letters do not fold"},
        {u"K", u"\u212A", false, "the Kelvin sign looks like K but is not"},
        {u"\u0131", u"I", false, "the dotless i is not an ASCII letter"},
    };
    ExpectRows(rows,
               [](std::u16string_view a, std::u16string_view b) { return EqualsIgnoringAsciiCase(a, b); });
}

TEST(EqualsIgnoringAsciiCase, TakesBytesAndWideTextAlike)
{
    EXPECT_TRUE(EqualsIgnoringAsciiCase(std::string_view("login"), "LOGIN"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(std::string_view("\xE9"), "\xC9"));
    EXPECT_TRUE(EqualsIgnoringAsciiCase(std::wstring_view(L"RegServer"), L"REGSERVER"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(std::wstring_view(L"RegServe"), L"REGSERVER"));
}

TEST(StartsWithIgnoringAsciiCase, ComparesOnlyTheLengthOfThePrefix)
{
    EXPECT_TRUE(StartsWithIgnoringAsciiCase("bearer abc", "Bearer "));
    EXPECT_TRUE(StartsWithIgnoringAsciiCase("Bearer ", "Bearer "));
    EXPECT_TRUE(StartsWithIgnoringAsciiCase("x", ""));
    EXPECT_FALSE(StartsWithIgnoringAsciiCase("Bearer", "Bearer ")) << "shorter than the prefix";
    EXPECT_FALSE(StartsWithIgnoringAsciiCase("Bearer\tabc", "Bearer ")) << "a tab is not the blank";
    EXPECT_FALSE(StartsWithIgnoringAsciiCase(" Bearer abc", "Bearer ")) << "no blanks are skipped";
}

TEST(Latin1Upper, FoldsLatin1LettersButNotTheSigns)
{
    const struct {
        char16_t Letter;
        char16_t Expected;
        const char* Why;
    } rows[] = {
        {u'n', u'N', "ASCII letters still fold"},
        {u'N', u'N', "a capital stays"},
        {u'\u00F1', u'\u00D1', "n with tilde folds to its capital"},
        {u'\u00E0', u'\u00C0', "first letter of the folding range"},
        {u'\u00FE', u'\u00DE', "last letter of the folding range"},
        {u'\u00F7', u'\u00F7', "the division sign is no letter"},
        {u'\u00FF', u'\u00FF', "y with diaeresis has its capital outside Latin-1"},
        {u'\u00DF', u'\u00DF', "sharp s has no capital of its own here"},
        {u'\u00DE', u'\u00DE', "a Latin-1 capital stays"},
        {u'\u0101', u'\u0101', "letters beyond Latin-1 do not fold"},
        {u'{', u'{', "'{' sits 32 above '['"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Latin1Upper(row.Letter), row.Expected) << row.Why;
}

} // namespace
} // namespace bramolt::text
