#include "text/IntegerText.h"

#include <gtest/gtest.h>

#include <limits>

namespace bramolt::text {
namespace {

constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
constexpr auto kMax = std::numeric_limits<std::int64_t>::max();

TEST(IntegerFromText, ReadsDecimalAndHexadecimalForms)
{
    const struct {
        std::u16string_view Text;
        std::int64_t Expected;
        const char* Why;
    } rows[] = {
        {u"0", 0, "zero"},
        {u"42", 42, "plain decimal"},
        {u"+42", 42, "explicit plus"},
        {u"-42", -42, "minus"},
        {u"007", 7, "leading zeros are decimal, not octal"},
        {u"  \t\r\n 5", 5, "leading blanks and line breaks"},
        {std::u16string_view(u"\0\x1F"
                             u"5",
                             3),
         5, "leading control units, NUL included"},
        {u"9223372036854775807", kMax, "largest 64-bit value"},
        {u"-9223372036854775808", kMin, "smallest 64-bit value"},
        {u"-0", 0, "negative zero"},
        {u"$FF", 255, "dollar hexadecimal"},
        {u"0xff", 255, "0x hexadecimal, lower-case digits"},
        {u"0XaB", 171, "upper-case X, mixed-case digits"},
        {u"-$10", -16, "the sign applies to hexadecimal"},
        {u"$FFFFFFFF", 0xFFFFFFFF, "32 bits set stay positive"},
        {u"$FFFFFFFFFFFFFFFF", -1, "64 bits as they stand: every bit set"},
        {u"$8000000000000000", kMin, "the top bit alone"},
        {u"-$8000000000000000", kMin, "negating the smallest value wraps to itself"},
        {u"$0000000000000001", 1, "sixteen digits with leading zeros"},
    };
    for (const auto& row : rows) {
        const auto value = IntegerFromText(row.Text);
        ASSERT_TRUE(value.has_value()) << row.Why;
        EXPECT_EQ(*value, row.Expected) << row.Why;
    }
}

TEST(IntegerFromText, RefusesWhatIsNoWholeInteger)
{
    const struct {
        std::u16string_view Text;
        const char* Why;
    } rows[] = {
        {u"", "empty"},
        {u"   ", "blanks only"},
        {u"-", "a sign alone"},
        {u"+-1", "two signs"},
        {u"1 ", "a trailing blank"},
        {u"1.0", "a decimal point"},
        {u"1e3", "an exponent"},
        {u"1,000", "a thousands separator"},
        {u"9223372036854775808", "one past the largest value"},
        {u"-9223372036854775809", "one below the smallest value"},
        {u"99999999999999999999999", "far beyond 64 bits"},
        {u"$", "a dollar without digits"},
        {u"0x", "0x without digits"},
        {u"$1FFFFFFFFFFFFFFFF", "seventeen hexadecimal digits"},
        {u"$00000000000000001", "seventeen digits even with leading zeros"},
        {u"$G", "a letter beyond F"},
        {u"$ 1", "a blank after the dollar"},
        {u"x10", "x without the zero"},
        {u"\uFF11", "a full-width digit"},
        {u"\u0661", "an Arabic-Indic digit"},
        {std::u16string_view(u"1\0", 2), "a NUL after the digits"},
        {u"\u00A0"
         u"1",
         "a no-break space is no blank here"},
    };
    for (const auto& row : rows)
        EXPECT_FALSE(IntegerFromText(row.Text).has_value()) << row.Why;
}

TEST(IntegerFromText, ReadsBackEveryValueItsDecimalTextStandsFor)
{
    for (const std::int64_t value : {kMin, kMin + 1, std::int64_t{-1}, std::int64_t{0}, std::int64_t{1},
                                     std::int64_t{1} << 53, kMax - 1, kMax}) {
        const std::string digits = std::to_string(value);
        const auto read = IntegerFromText(std::u16string(digits.begin(), digits.end()));
        ASSERT_TRUE(read.has_value()) << digits;
        EXPECT_EQ(*read, value) << digits;
    }
}

} // namespace
} // namespace bramolt::text
