#include "dataset/JsonValueWrite.h"

#include "dataset/DataSetError.h"
#include "dataset/DateTime.h"

#include <charconv>
#include <string>

namespace bramolt::dataset {

namespace {

const char* KindName(const TJsonTokenValue& value)
{
    static constexpr const char* kNames[] = {"empty value",    "text",   "32-bit integer",
                                             "64-bit integer", "number", "boolean"};
    return kNames[value.index()];
}

[[noreturn]] void CannotConvert(const TJsonTokenValue& value, const char* target)
{
    throw EDataSetError(std::string("Cannot convert a JSON ") + KindName(value) + " to " + target);
}

} // namespace

std::optional<double> ReadDateTextPortably(std::u16string_view text)
{
    if (const auto days = ReadIsoDateTime(text))
        return days;
    std::string ascii;
    for (const char16_t c : text) {
        if (c > 0x7F)
            return std::nullopt;
        ascii += static_cast<char>(c);
    }
    double days = 0;
    const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), days);
    if (ascii.empty() || error != std::errc() || end != ascii.data() + ascii.size())
        return std::nullopt;
    return days;
}

std::u16string JsonValueAsText(const TJsonTokenValue& value)
{
    if (const auto* text = std::get_if<std::u16string>(&value))
        return *text;
    if (std::holds_alternative<std::monostate>(value))
        return {};
    CannotConvert(value, "text");
}

std::int32_t JsonValueAsInteger(const TJsonTokenValue& value)
{
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return *number;
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(*number)); // its low 32 bits
    if (std::holds_alternative<std::monostate>(value))
        return 0;
    CannotConvert(value, "an integer");
}

bool JsonValueAsBoolean(const TJsonTokenValue& value)
{
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag;
    if (std::holds_alternative<std::monostate>(value))
        return false;
    CannotConvert(value, "a boolean");
}

long double JsonValueAsExtended(const TJsonTokenValue& value)
{
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return *number;
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return static_cast<long double>(*number);
    if (const auto* number = std::get_if<double>(&value))
        return *number;
    if (std::holds_alternative<std::monostate>(value))
        return 0;
    CannotConvert(value, "a floating-point number");
}

TInputValue JsonValueAsVariant(const TJsonTokenValue& value)
{
    return std::visit(
        [](const auto& v) -> TInputValue {
            if constexpr (std::is_same_v<std::decay_t<decltype(v)>, std::monostate>)
                return TUnassigned{};
            else
                return v;
        },
        value);
}

double DateTimeOfVariant(const TInputValue& value, const TDateTextReader& readText)
{
    if (value.Is<TUnassigned>())
        return 0;
    if (const auto* number = value.Get<std::int32_t>())
        return *number;
    if (const auto* number = value.Get<std::int64_t>())
        return static_cast<double>(*number);
    if (const auto* number = value.Get<double>())
        return *number;
    if (const auto* flag = value.Get<bool>())
        return *flag ? -1 : 0;
    if (const auto* date = value.Get<TDateTimeValue>())
        return date->FDays;
    if (const auto* text = value.Get<std::u16string>()) {
        if (const auto days = readText(*text))
            return *days;
        throw EDataSetError("Could not convert the text to a date-time");
    }
    throw EDataSetError("Could not convert the value to a date-time");
}

std::int64_t JsonValueAsLargeInt(const TJsonTokenValue& value)
{
    if (const auto* number = std::get_if<std::int32_t>(&value))
        return *number;
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return *number;
    CannotConvert(value, "an integer");
}

void WriteJsonValue(TField& field, const TJsonTokenValue& value, const TDateTextReader& readText)
{
    using enum TFieldType;
    // A packet holds null as a missing value; any other empty value would be made-up data
    // in the database the packet is applied to.
    if (std::holds_alternative<std::monostate>(value)) {
        field.Clear();
        return;
    }
    switch (field.DataType()) {
    case ftString:
    case ftMemo:
    case ftWideString:
        field.SetAsString(JsonValueAsText(value));
        break;
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftShortint:
        field.SetAsInteger(JsonValueAsInteger(value));
        break;
    case ftLongWord:
        // Its range reaches beyond 32 bits signed: the whole number is checked against it.
        field.SetAsLargeInt(JsonValueAsLargeInt(value));
        break;
    case ftBoolean:
        field.SetAsBoolean(JsonValueAsBoolean(value));
        break;
    case ftFloat:
    case ftCurrency:
    case ftBCD:
        field.SetAsExtended(JsonValueAsExtended(value));
        break;
    case ftDate:
    case ftTime:
    case ftDateTime:
        field.SetAsDateTime(DateTimeOfVariant(JsonValueAsVariant(value), readText));
        break;
    default:
        field.SetValue(JsonValueAsVariant(value));
        break;
    }
}

} // namespace bramolt::dataset
