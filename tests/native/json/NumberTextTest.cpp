#include "json/JSONError.h"
#include "json/JSONNumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace bramolt::json {
namespace {

TEST(NumberText, FormatsFifteenSignificantDigits)
{
    struct {
        double Value;
        std::string Text;
    } cases[] = {
        {1.5, "1.5"},
        {100, "100"},
        {0.0001, "0.0001"},
        {0.001, "0.001"},
        {0.00123, "0.00123"},
        {0.00001, "1E-5"},
        {1e20, "1E20"},
        {-2.5e-7, "-2.5E-7"},
        {123456789012345678.0, "1.23456789012346E17"}, // 18 digits, rounded at the 15th
        {0, "0"},
        {-0.0, "0"},
        {-1, "-1"},
        {12.5, "12.5"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3, "0.333333333333333"},
        {999999999999999, "999999999999999"},
        {123456789012345.6, "123456789012346"},
        {99999999999999.99, "100000000000000"}, // rounding carries into a new digit
        {1e15, "1E15"},                         // 16 digits before the point
        {9007199254740992.0, "9.00719925474099E15"},
        {1e16, "1E16"},
        {std::numeric_limits<double>::denorm_min(), "4.94065645841247E-324"},
        {2.2250738585072014e-308, "2.2250738585072E-308"}, // smallest normal
        {std::numeric_limits<double>::max(), "1.79769313486232E308"},
        {-std::numeric_limits<double>::max(), "-1.79769313486232E308"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatJSONNumber(c.Value), c.Text) << c.Value;
}

TEST(NumberText, RefusesValuesJsonCannotHold)
{
    EXPECT_THROW(FormatJSONNumber(std::numeric_limits<double>::quiet_NaN()), EJSONError);
    EXPECT_THROW(FormatJSONNumber(std::numeric_limits<double>::infinity()), EJSONError);
    EXPECT_THROW(FormatJSONNumber(-std::numeric_limits<double>::infinity()), EJSONError);
}

TEST(NumberText, ReadsTextsWithAPointWhateverTheLocale)
{
    struct {
        std::string Text;
        std::optional<double> Value;
    } cases[] = {
        {"150", 150},
        {"1.5E2", 150},
        {"1E+2", 100},
        {"0.1e1", 1},
        {"-2.5E-7", -2.5e-7},
        {"12345678901234567890", 12345678901234567890.0},
        {"4.9e-324", std::numeric_limits<double>::denorm_min()},
        {"1.7976931348623157e308", std::numeric_limits<double>::max()},
        {"1e-400", 0.0}, // too small: zero
        {"1e400", std::nullopt},
        {"-1e400", std::nullopt},
        {"0.0000001e309", 1e302},
        {"10000000000e-320", 1e-310},
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"1,5", std::nullopt},
        {"+1", std::nullopt},
        {" 1", std::nullopt},
        {"1 ", std::nullopt},
        {"1.", std::nullopt},
        {"0x10", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"\xD9\xA1", std::nullopt}, // a non-ASCII digit (U+0661 in UTF-8)
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadJSONNumber(c.Text), c.Value) << c.Text;
    const auto negativeZero = ReadJSONNumber("-1e-400");
    ASSERT_TRUE(negativeZero.has_value());
    EXPECT_TRUE(*negativeZero == 0 && std::signbit(*negativeZero));
}

TEST(NumberText, ReadingAFormattedTextGivesTheValueToFifteenDigits)
{
    for (double value : {1.5, -0.1, 3.141592653589793, 6.02214076e23, 1e-300, 123456.789e10, 5e-324}) {
        const auto back = ReadJSONNumber(FormatJSONNumber(value));
        ASSERT_TRUE(back.has_value()) << value;
        EXPECT_NEAR(*back, value, std::fabs(value) * 1e-14) << value;
    }
}

} // namespace
} // namespace bramolt::json
