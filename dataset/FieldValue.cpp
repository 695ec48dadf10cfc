// A value written to a field by a caller: text, integer, number, boolean or date-time, converted
// to the field's kind only where nothing is lost.
#include "dataset/FieldValue.h"

#include "dataset/DataSetError.h"
#include "dataset/DateTime.h"
#include "dataset/FieldValueChecks.h"
#include "text/CaseFolding.h"
#include "text/Utf8.h"

#include <cmath>

namespace bramolt::dataset {

namespace {

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

} // namespace bramolt::dataset
