#pragma once

// Field values and the conversions of the field writes. A value is held in the form of its
// kind (TValueKind): text as UTF-8, bytes as they are, decimals as their text with exactly
// DECIMALS digits after ".", date-times as milliseconds (DateTime.h). Every conversion that
// cannot keep the value exactly, or that mixes kinds that do not meet, throws EDataSetError
// naming the field: values are never cut short, wrapped or guessed.

#include "dataset/FieldDef.h"
#include "dataset/InputValue.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace bramolt::dataset {

// std::monostate is null.
using TFieldValue = std::variant<std::monostate, std::string, std::int64_t, double, bool>;

TFieldValue FieldValueOfText(const TFieldDef& def, std::u16string_view text);
TFieldValue FieldValueOfInteger(const TFieldDef& def, std::int64_t number);
TFieldValue FieldValueOfFloat(const TFieldDef& def, long double number);
TFieldValue FieldValueOfBoolean(const TFieldDef& def, bool value);
TFieldValue FieldValueOfDateTime(const TFieldDef& def, double days);
// Null gives null; unassigned gives the kind's empty value (empty text, 0, false,
// 1899-12-30 00:00); an array is refused.
TFieldValue FieldValueOfVariant(const TFieldDef& def, const TInputValue& value);

// A ROW attribute's text as a value; throws for text that is no value of the field.
// Reading is lenient where packets differ: "," as decimal separator, boolean letter case,
// a dateTime without its time.
TFieldValue ReadPacketValue(const TFieldDef& def, std::string_view text);
// The attribute text of a value that is not null.
std::string WritePacketValue(const TFieldDef& def, const TFieldValue& value);

// A value as callers read it: text, 32- or 64-bit integer, double, boolean, date-time, or null.
// Bytes read as text holding one character per byte.
TInputValue VariantOfFieldValue(const TFieldDef& def, const TFieldValue& value);

} // namespace bramolt::dataset
