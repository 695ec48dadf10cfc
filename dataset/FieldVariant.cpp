// A field value to and from the input values that reach the engine from outside (InputValue.h).
#include "dataset/FieldValue.h"

#include "dataset/DateTime.h"
#include "dataset/FieldValueChecks.h"
#include "text/Utf8.h"

#include <charconv>
#include <cstdint>
#include <type_traits>

namespace bramolt::dataset {

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
