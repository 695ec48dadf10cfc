#include "text/Trim.h"

#include <gtest/gtest.h>

namespace bramolt::text {
namespace {

TEST(Trim, EachSetOfBlanksRemovesOnlyItsOwn)
{
    using TIsBlank = bool (*)(char32_t);
    const struct {
        std::u16string_view Input;
        TIsBlank IsBlank;
        std::u16string_view Expected;
        const char* Why;
    } rows[] = {
        {u"", IsSpace, u"", "empty text"},
        {u"   ", IsSpace, u"", "only blanks"},
        {u"  a b  ", IsSpace, u"a b", "blanks inside stay"},
        {u"\ta\r\n", IsSpace, u"\ta\r\n", "spaces only: a tab and a line break are kept"},
        {u"\u00A0a\u00A0", IsSpace, u"\u00A0a\u00A0", "a no-break space is not a space"},
        {u" \t\r\na\n\r\t ", IsSpaceTabOrLineBreak, u"a", "header blanks on both ends"},
        {u"\va\f", IsSpaceTabOrLineBreak, u"\va\f", "vertical tab and form feed are no header blanks"},
        {std::u16string_view(u"\0\x1F a \x1F\0", 7), IsSpaceOrControl, u"a",
         "every control unit, NUL included"},
        {u"\x7F"
         u"a",
         IsSpaceOrControl,
         u"\x7F"
         u"a",
         "DEL is above the space"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Trim(row.Input, row.IsBlank), row.Expected) << row.Why;
}

TEST(Trim, Utf8BytesOfOtherCharactersAreNoBlanks)
{
    // U+00A0 is C2 A0 and U+0120 is C4 A0: their bytes are not taken for a blank or a control.
    EXPECT_EQ(Trim(std::string_view("\xC2\xA0 a \xC4\xA0"), IsSpaceOrControl), "\xC2\xA0 a \xC4\xA0");
    EXPECT_EQ(Trim(std::string_view(" \t a b \r\n"), IsSpaceTabOrLineBreak), "a b");
    EXPECT_EQ(Trim(std::string_view("\x80 "), IsSpace), "\x80");
}

TEST(Trim, StartAndEndAloneLeaveTheOtherSide)
{
    EXPECT_EQ(TrimStart(u"  a  ", IsSpace), u"a  ");
    EXPECT_EQ(TrimEnd(u"  a  ", IsSpace), u"  a");
    EXPECT_EQ(TrimStart(u"  ", IsSpace), u"");
    EXPECT_EQ(TrimEnd(u"  ", IsSpace), u"");
}

TEST(Trim, GivesAViewIntoTheSameText)
{
    const std::u16string text = u" name ";
    const std::u16string_view trimmed = Trim(text, IsSpace);
    EXPECT_EQ(trimmed.data(), text.data() + 1);
    EXPECT_EQ(trimmed.size(), 4u);
}

} // namespace
} // namespace bramolt::text
