#include "dataset/FieldValue.h"

#include "dataset/DataSetError.h"
#include "dataset/DateTime.h"
#include "fileout/Base64.h"
#include "text/CaseFolding.h"
#include "text/Utf8.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace bramolt::dataset {

namespace {

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

// The ASCII bytes of a UTF-16 text; no result when it holds anything else.
std::optional<std::string> AsciiOf(std::u16string_view text)
{
    std::string ascii;
    ascii.reserve(text.size());
    for (const char16_t c : text) {
        if (c > 0x7F)
            return std::nullopt;
        ascii += static_cast<char>(c);
    }
    return ascii;
}

std::string WithoutLineBreaks(std::string text)
{
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
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

TFieldValue DateTimeOfDays(const TFieldDef& def, double days)
{
    const auto milliseconds = MillisecondsOfDays(days);
    if (!milliseconds)
        throw EDataSetError("Date-time value out of range for field '" + NameOf(def) + "'");
    return DateTimeOfMilliseconds(def, *milliseconds);
}

bool IsDateTimeKind(TValueKind kind)
{
    return kind == TValueKind::vkDate || kind == TValueKind::vkTime || kind == TValueKind::vkDateTime;
}

} // namespace

TFieldValue FieldValueOfText(const TFieldDef& def, std::u16string_view text)
{
    switch (def.FKind) {
    case TValueKind::vkText: {
        const std::size_t limit = def.MaxTextLength();
        if (limit > 0 && text.size() > limit)
            throw EDataSetError("Value of field '" + NameOf(def) + "' is longer than " +
                                std::to_string(limit) + " characters");
        return text::ToUtf8(text);
    }
    case TValueKind::vkBytes:
        return text::ToUtf8(text);
    case TValueKind::vkDataSet:
        Refuse(def, "a text");
    default:
        break;
    }
    const auto ascii = AsciiOf(text);
    if (!ascii)
        Invalid(def, text::ToUtf8(text));
    if (IsDateTimeKind(def.FKind)) {
        const auto days = ReadIsoDateTime(text);
        if (!days)
            Invalid(def, *ascii);
        return DateTimeOfDays(def, *days);
    }
    if (def.FKind == TValueKind::vkBoolean) {
        if (text::EqualsIgnoringAsciiCase(*ascii, "true") || text::EqualsIgnoringAsciiCase(*ascii, "false"))
            return text::EqualsIgnoringAsciiCase(*ascii, "true");
        Invalid(def, *ascii);
    }
    // A value typed by a caller uses "." whatever the regional settings; "," is only
    // accepted from packets, where both occur.
    if (ascii->find(',') != std::string::npos)
        Invalid(def, *ascii);
    return ReadPacketValue(def, *ascii);
}

TFieldValue FieldValueOfInteger(const TFieldDef& def, std::int64_t number)
{
    switch (def.FKind) {
    case TValueKind::vkText:
        return FieldValueOfText(def, text::FromUtf8(std::to_string(number)));
    case TValueKind::vkInteger:
        return CheckedInteger(def, number);
    case TValueKind::vkFloat:
    case TValueKind::vkDecimal:
    case TValueKind::vkDate:
    case TValueKind::vkTime:
    case TValueKind::vkDateTime:
        return FieldValueOfFloat(def, static_cast<long double>(number));
    default:
        Refuse(def, "an integer");
    }
}

TFieldValue FieldValueOfFloat(const TFieldDef& def, long double number)
{
    switch (def.FKind) {
    case TValueKind::vkText:
        if (!std::isfinite(number))
            Refuse(def, "a value that is not a finite number");
        return FieldValueOfText(def, text::FromUtf8(FloatText(def, static_cast<double>(number))));
    case TValueKind::vkInteger: {
        // A fraction is never dropped silently.
        if (!std::isfinite(number) || std::trunc(number) != number || number < -0x1p63L || number >= 0x1p63L)
            Refuse(def, "a number that is not a whole number in range");
        return CheckedInteger(def, static_cast<std::int64_t>(number));
    }
    case TValueKind::vkFloat:
        return CheckedFloat(def, number);
    case TValueKind::vkDecimal:
        return DecimalOfFloat(def, number);
    case TValueKind::vkDate:
    case TValueKind::vkTime:
    case TValueKind::vkDateTime:
        return DateTimeOfDays(def, static_cast<double>(number));
    default:
        Refuse(def, "a number");
    }
}

TFieldValue FieldValueOfBoolean(const TFieldDef& def, bool value)
{
    switch (def.FKind) {
    case TValueKind::vkBoolean:
        return value;
    case TValueKind::vkText:
        return FieldValueOfText(def, value ? u"True" : u"False");
    default:
        Refuse(def, "a boolean");
    }
}

TFieldValue FieldValueOfDateTime(const TFieldDef& def, double days)
{
    switch (def.FKind) {
    case TValueKind::vkDate:
    case TValueKind::vkTime:
    case TValueKind::vkDateTime:
        return DateTimeOfDays(def, days);
    case TValueKind::vkFloat:
        return CheckedFloat(def, days);
    default:
        Refuse(def, "a date-time");
    }
}

TFieldValue FieldValueOfVariant(const TFieldDef& def, const TInputValue& value)
{
    return std::visit(
        [&](const auto& v) -> TFieldValue {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, TNullValue>) {
                return std::monostate{};
            } else if constexpr (std::is_same_v<T, TUnassigned>) {
                switch (def.FKind) {
                case TValueKind::vkText:
                case TValueKind::vkBytes:
                    return std::string();
                case TValueKind::vkBoolean:
                    return false;
                case TValueKind::vkDataSet:
                    Refuse(def, "a value");
                default:
                    return FieldValueOfInteger(def, 0);
                }
            } else if constexpr (std::is_same_v<T, std::u16string>) {
                return FieldValueOfText(def, v);
            } else if constexpr (std::is_same_v<T, std::int32_t> || std::is_same_v<T, std::int64_t>) {
                return FieldValueOfInteger(def, v);
            } else if constexpr (std::is_same_v<T, double>) {
                return FieldValueOfFloat(def, v);
            } else if constexpr (std::is_same_v<T, bool>) {
                return FieldValueOfBoolean(def, v);
            } else if constexpr (std::is_same_v<T, TDateTimeValue>) {
                return FieldValueOfDateTime(def, v.FDays);
            } else {
                Refuse(def, "an array");
            }
        },
        value.Storage());
}

TFieldValue ReadPacketValue(const TFieldDef& def, std::string_view text)
{
    switch (def.FKind) {
    case TValueKind::vkText:
        return std::string(text);
    case TValueKind::vkBytes:
        if (text.find_first_not_of(
                "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/= \t\r\n") !=
            std::string_view::npos)
            Invalid(def, text);
        return fileout::DecodeBase64Lenient(text);
    case TValueKind::vkInteger: {
        const auto number = ParseInteger(text);
        if (!number)
            Invalid(def, text);
        return CheckedInteger(def, *number);
    }
    case TValueKind::vkFloat: {
        const auto number = ParseFloat(text, true);
        if (!number)
            Invalid(def, text);
        return CheckedFloat(def, *number);
    }
    case TValueKind::vkDecimal:
        return CheckedDecimal(def, text);
    case TValueKind::vkBoolean:
        if (text::EqualsIgnoringAsciiCase(text, "TRUE"))
            return true;
        if (text::EqualsIgnoringAsciiCase(text, "FALSE"))
            return false;
        Invalid(def, text);
    case TValueKind::vkDate:
    case TValueKind::vkTime:
    case TValueKind::vkDateTime: {
        const auto milliseconds = def.FKind == TValueKind::vkDate   ? ReadPacketDate(text)
                                  : def.FKind == TValueKind::vkTime ? ReadPacketTime(text)
                                                                    : ReadPacketDateTime(text);
        if (!milliseconds)
            Invalid(def, text);
        return *milliseconds;
    }
    case TValueKind::vkDataSet:
        break;
    }
    Invalid(def, text);
}

std::string WritePacketValue(const TFieldDef& def, const TFieldValue& value)
{
    switch (def.FKind) {
    case TValueKind::vkText:
    case TValueKind::vkDecimal:
        return std::get<std::string>(value);
    case TValueKind::vkBytes:
        return WithoutLineBreaks(fileout::EncodeBase64Lines(std::get<std::string>(value)));
    case TValueKind::vkInteger:
        return std::to_string(std::get<std::int64_t>(value));
    case TValueKind::vkFloat:
        return FloatText(def, std::get<double>(value));
    case TValueKind::vkBoolean:
        return std::get<bool>(value) ? "TRUE" : "FALSE";
    case TValueKind::vkDate:
        return WritePacketDate(std::get<std::int64_t>(value));
    case TValueKind::vkTime:
        return WritePacketTime(std::get<std::int64_t>(value));
    case TValueKind::vkDateTime:
        return WritePacketDateTime(std::get<std::int64_t>(value));
    case TValueKind::vkDataSet:
        break;
    }
    Refuse(def, "a value");
}

TInputValue VariantOfFieldValue(const TFieldDef& def, const TFieldValue& value)
{
    if (std::holds_alternative<std::monostate>(value))
        return TNullValue{};
    switch (def.FKind) {
    case TValueKind::vkText:
        return text::FromUtf8(std::get<std::string>(value));
    case TValueKind::vkBytes: {
        const auto& bytes = std::get<std::string>(value);
        std::u16string text;
        for (const char byte : bytes)
            text += static_cast<char16_t>(static_cast<unsigned char>(byte));
        return text;
    }
    case TValueKind::vkInteger: {
        const std::int64_t number = std::get<std::int64_t>(value);
        if (number >= INT32_MIN && number <= INT32_MAX)
            return static_cast<std::int32_t>(number);
        return number;
    }
    case TValueKind::vkFloat:
        return std::get<double>(value);
    case TValueKind::vkDecimal: {
        const auto& text = std::get<std::string>(value);
        double number = 0;
        std::from_chars(text.data(), text.data() + text.size(), number);
        return number;
    }
    case TValueKind::vkBoolean:
        return std::get<bool>(value);
    case TValueKind::vkDate:
    case TValueKind::vkTime:
    case TValueKind::vkDateTime:
        return TDateTimeValue{DaysOfMilliseconds(std::get<std::int64_t>(value))};
    case TValueKind::vkDataSet:
        break;
    }
    return TNullValue{};
}

} // namespace bramolt::dataset
