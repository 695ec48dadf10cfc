#include "dataset/FieldValueChecks.h"

#include "dataset/DataSetError.h"
#include "dataset/DateTime.h"
#include "text/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace bramolt::dataset {

namespace {

// A decimal number text ("-12.5", "3", "0,25") with exactly `decimals` digits after the
// point, rounded half away from zero; no result for anything else.
std::optional<std::string> NormalizeDecimal(std::string_view text, int decimals)
{
    std::size_t pos = 0;
    const bool negative = !text.empty() && text[0] == '-';
    pos += negative;
    std::string whole, fraction;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
        whole += text[pos++];
    if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
        ++pos;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
            fraction += text[pos++];
    }
    if (pos != text.size() || (whole.empty() && fraction.empty()))
        return std::nullopt;
    const auto kept = static_cast<std::size_t>(decimals);
    bool roundUp = fraction.size() > kept && fraction[kept] >= '5';
    fraction.resize(kept, '0');
    std::string digits = whole + fraction;
    for (std::size_t i = digits.size(); roundUp && i-- > 0;) {
        if (digits[i] == '9') {
            digits[i] = '0';
        } else {
            ++digits[i];
            roundUp = false;
        }
    }
    if (roundUp)
        digits.insert(digits.begin(), '1');
    const std::size_t integralLength = digits.size() - kept;
    std::size_t start = 0;
    while (start < integralLength && digits[start] == '0')
        ++start;
    std::string result;
    if (negative && digits.find_first_not_of('0') != std::string::npos)
        result += '-';
    if (start == integralLength)
        result += '0';
    else
        result.append(digits, start, integralLength - start);
    if (kept > 0) {
        result += '.';
        result.append(digits, integralLength, kept);
    }
    return result;
}

TFieldValue DateTimeOfMilliseconds(const TFieldDef& def, std::int64_t milliseconds)
{
    const std::int64_t day = milliseconds / kMillisecondsPerDay - (milliseconds % kMillisecondsPerDay < 0);
    switch (def.FKind) {
    case TValueKind::vkDate:
        return day * kMillisecondsPerDay;
    case TValueKind::vkTime:
        return milliseconds - day * kMillisecondsPerDay;
    default:
        return milliseconds;
    }
}

} // namespace

std::string NameOf(const TFieldDef& def)
{
    return text::ToUtf8(def.FFieldName);
}

[[noreturn]] void Refuse(const TFieldDef& def, std::string_view what)
{
    throw EDataSetError("Field '" + NameOf(def) + "' cannot take " + std::string(what));
}

[[noreturn]] void Invalid(const TFieldDef& def, std::string_view text)
{
    throw EDataSetError("'" + std::string(text) + "' is not a valid value for field '" + NameOf(def) +
                        "' of type " + std::string(FieldTypeName(def.FDataType)));
}

// ---------------------------------------------------------------- integers

TFieldValue CheckedInteger(const TFieldDef& def, std::int64_t number)
{
    const TIntegerRange range = IntegerRangeOf(def.FDataType);
    if (number < range.FMin || number > range.FMax)
        throw EDataSetError(std::to_string(number) + " is not a valid value for field '" + NameOf(def) +
                            "'. The allowed range is " + std::to_string(range.FMin) + " to " +
                            std::to_string(range.FMax));
    return number;
}

std::optional<std::int64_t> ParseInteger(std::string_view text)
{
    std::int64_t number = 0;
    if (text.empty() || text.front() == '+')
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

// ---------------------------------------------------------------- floats

std::optional<double> ParseFloat(std::string_view text, bool acceptComma)
{
    if (acceptComma && text.find(',') != std::string_view::npos) {
        std::string copy(text);
        std::replace(copy.begin(), copy.end(), ',', '.');
        return ParseFloat(copy, false);
    }
    if (text.empty() || text.front() == '+' || text.find_first_of("iInN") != std::string_view::npos)
        return std::nullopt;
    double number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number))
        return std::nullopt;
    return number;
}

TFieldValue CheckedFloat(const TFieldDef& def, long double number)
{
    if (!std::isfinite(number) || std::fabs(number) > std::numeric_limits<double>::max())
        Refuse(def, "a value that is not a finite number");
    if (def.FDataType == TFieldType::ftSingle) {
        // Values just above the largest single that still round to it are its own text.
        const auto single = static_cast<float>(number);
        if (std::isinf(single))
            throw EDataSetError("Value out of range for field '" + NameOf(def) + "' of type ftSingle");
        return static_cast<double>(single);
    }
    return static_cast<double>(number);
}

std::string FloatText(const TFieldDef& def, double number)
{
    char buffer[64];
    const auto result = def.FDataType == TFieldType::ftSingle
                            ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(number))
                            : std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

// ---------------------------------------------------------------- decimals

TFieldValue CheckedDecimal(const TFieldDef& def, std::string_view text)
{
    auto normalized = NormalizeDecimal(text, def.FDecimals);
    if (!normalized)
        Invalid(def, text);
    if (def.FWidth > 0) {
        const std::size_t sign = normalized->front() == '-';
        const std::size_t point = normalized->find('.');
        const std::size_t integralDigits = (point == std::string::npos ? normalized->size() : point) - sign;
        const bool zeroIntegral = (*normalized)[sign] == '0';
        if (!zeroIntegral && static_cast<int>(integralDigits) > def.FWidth - def.FDecimals)
            throw EDataSetError("Value " + *normalized + " does not fit field '" + NameOf(def) + "' (" +
                                std::to_string(def.FWidth) + " digits, " + std::to_string(def.FDecimals) +
                                " after the point)");
    }
    return std::move(*normalized);
}

TFieldValue DecimalOfFloat(const TFieldDef& def, long double number)
{
    if (!std::isfinite(number))
        Refuse(def, "a value that is not a finite number");
    char buffer[5000];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed, def.FDecimals + 1);
    if (result.ec != std::errc())
        Refuse(def, "a number this large");
    return CheckedDecimal(def, std::string_view(buffer, result.ptr));
}

// ---------------------------------------------------------------- date-times

TFieldValue DateTimeOfDays(const TFieldDef& def, double days)
{
    const auto milliseconds = MillisecondsOfDays(days);
    if (!milliseconds)
        throw EDataSetError("Date-time value out of range for field '" + NameOf(def) + "'");
    return DateTimeOfMilliseconds(def, *milliseconds);
}

} // namespace bramolt::dataset
