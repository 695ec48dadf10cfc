// A field value in the text form of a packet's ROW attributes, read and written.
#include "dataset/FieldValue.h"

#include "dataset/DateTime.h"
#include "dataset/FieldValueChecks.h"
#include "fileout/Base64.h"
#include "text/CaseFolding.h"

namespace bramolt::dataset {

namespace {

std::string WithoutLineBreaks(std::string text)
{
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
}

} // namespace

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

} // namespace bramolt::dataset
