#include "json/JSONNumberText.h"

#include "json/JSONError.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace bramolt::json {

namespace {

constexpr int kSignificantDigits = 15;

} // namespace

std::string FormatJSONNumber(double value)
{
    if (!std::isfinite(value))
        throw EJSONError("A JSON number must be finite");
    if (value == 0)
        return "0";

    // Scientific form with 15 significant digits is correctly rounded from the exact
    // binary value: "d.dddddddddddddde[+-]xx".
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view sci(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, ePos))
        if (c != '.')
            digits.push_back(c);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    // value = 0.d1d2... x 10^e, so e is one more than the scientific exponent.
    const int e = std::atoi(std::string(sci.substr(ePos + 1)).c_str()) + 1;
    const int n = static_cast<int>(digits.size());

    std::string text = value < 0 ? "-" : "";
    if (e >= -3 && e <= 15) {
        if (e <= 0) {
            text += "0.";
            text.append(static_cast<std::size_t>(-e), '0');
            text += digits;
        } else if (n <= e) {
            text += digits;
            text.append(static_cast<std::size_t>(e - n), '0');
        } else {
            text += digits.substr(0, static_cast<std::size_t>(e));
            text += '.';
            text += digits.substr(static_cast<std::size_t>(e));
        }
    } else {
        text += digits[0];
        if (n > 1) {
            text += '.';
            text += digits.substr(1);
        }
        text += 'E';
        text += std::to_string(e - 1);
    }
    return text;
}

namespace {

bool IsNumberText(std::string_view s)
{
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9')
            ++i;
        return i > start;
    };
    if (i < s.size() && s[i] == '-')
        ++i;
    if (!digits())
        return false;
    if (i < s.size() && s[i] == '.') {
        ++i;
        if (!digits())
            return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            ++i;
        if (!digits())
            return false;
    }
    return i == s.size();
}

// For a valid number text out of the range of a double: true when it is huge, false when
// it is tiny. Only the power of ten of the first significant digit plus the exponent
// matters; at that size the sign of the sum decides.
bool IsOverflow(std::string_view s)
{
    const std::size_t sign = s[0] == '-' ? 1 : 0;
    const std::size_t ePos = std::min(s.find_first_of("eE"), s.size());
    const std::string_view mantissa = s.substr(sign, ePos - sign);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_not_of("0.");
    if (first == std::string_view::npos)
        return false;
    const long long lead =
        first < point ? static_cast<long long>(point - first) - 1 : -static_cast<long long>(first - point);
    long long exponent = 0;
    std::size_t j = ePos + 1;
    const bool negative = j < s.size() && s[j] == '-';
    if (j < s.size() && (s[j] == '+' || s[j] == '-'))
        ++j;
    for (; j < s.size() && exponent < 1000000; ++j)
        exponent = exponent * 10 + (s[j] - '0');
    return lead + (negative ? -exponent : exponent) > 0;
}

} // namespace

std::optional<double> ReadJSONNumber(std::string_view ascii)
{
    if (!IsNumberText(ascii))
        return std::nullopt;
    double value = 0;
    const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (IsOverflow(ascii))
            return std::nullopt;
        return ascii[0] == '-' ? -0.0 : 0.0;
    }
    if (result.ec != std::errc() || result.ptr != ascii.data() + ascii.size())
        return std::nullopt;
    return value;
}

} // namespace bramolt::json
