#pragma once

// The checks every conversion of a field value shares: each refuses, naming the field, a value
// the field cannot hold exactly (EDataSetError). For FieldValue.cpp, PacketValue.cpp and
// FieldVariant.cpp only.

#include "dataset/FieldDef.h"
#include "dataset/FieldValue.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bramolt::dataset {

std::string NameOf(const TFieldDef& def);
[[noreturn]] void Refuse(const TFieldDef& def, std::string_view what);
[[noreturn]] void Invalid(const TFieldDef& def, std::string_view text);

// Within the range of the field's integer type.
TFieldValue CheckedInteger(const TFieldDef& def, std::int64_t number);
// Decimal digits with an optional "-"; no result for anything else or out of range.
std::optional<std::int64_t> ParseInteger(std::string_view text);

// A finite number; with `acceptComma`, "," may stand for ".".
std::optional<double> ParseFloat(std::string_view text, bool acceptComma);
// Finite, and within a single's range for ftSingle.
TFieldValue CheckedFloat(const TFieldDef& def, long double number);
// The shortest text that reads back as the number (as a single for ftSingle).
std::string FloatText(const TFieldDef& def, double number);

// Rounded half away from zero to the field's decimals, and within its digits.
TFieldValue CheckedDecimal(const TFieldDef& def, std::string_view text);
TFieldValue DecimalOfFloat(const TFieldDef& def, long double number);

// A date-time of the field's kind: the date or the time of day alone where it holds one.
TFieldValue DateTimeOfDays(const TFieldDef& def, double days);

} // namespace bramolt::dataset
