#pragma once

// How the value of a JSON token is written to a field: the field's type chooses the write,
// and the token's value is converted for it. There is no conversion between text and
// numbers or booleans, and a double never becomes an integer. An empty value (null,
// undefined, or a structural token) clears the field; converted on its own it is the empty
// text, 0, false, 0 or, as a variant, unassigned.

#include "dataset/Field.h"
#include "dataset/InputValue.h"
#include "dataset/JsonTokenReader.h"

#include <functional>
#include <optional>
#include <string_view>

namespace bramolt::dataset {

// Reads a date-time written as text, in days; no result when the text is none.
using TDateTextReader = std::function<std::optional<double>(std::u16string_view)>;

// ISO 8601 date-times (DateTime.h), else a decimal number of days with ".".
std::optional<double> ReadDateTextPortably(std::u16string_view text);

std::u16string JsonValueAsText(const TJsonTokenValue& value);
std::int32_t JsonValueAsInteger(const TJsonTokenValue& value);
// Integers whole, for types whose range reaches beyond 32 bits signed.
std::int64_t JsonValueAsLargeInt(const TJsonTokenValue& value);
bool JsonValueAsBoolean(const TJsonTokenValue& value);
long double JsonValueAsExtended(const TJsonTokenValue& value);
TInputValue JsonValueAsVariant(const TJsonTokenValue& value);
// Unassigned is 0, numbers are days, true is -1 and false 0, text goes to `readText`.
double DateTimeOfVariant(const TInputValue& value, const TDateTextReader& readText);

// Writes `value` to `field` with the write its type calls for. Throws EDataSetError.
void WriteJsonValue(TField& field, const TJsonTokenValue& value, const TDateTextReader& readText);

} // namespace bramolt::dataset
