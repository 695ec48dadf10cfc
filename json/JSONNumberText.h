#pragma once

// Number texts made from doubles, and number texts read back as doubles. Both always use
// "." as the decimal separator, whatever the regional settings.

#include <optional>
#include <string>
#include <string_view>

namespace bramolt::json {

// The text of a number made from `value`: rounded to 15 significant digits, trailing
// zeros dropped; fixed notation when the decimal exponent e of 0.d1d2... x 10^e lies in
// -3..15 (1.5, 100, 0.0001), otherwise d.dddE-n / d.dddEn without "+" and leading zeros
// (1E-5, 1E20, -2.5E-7). Zero, negative zero included, is "0".
// Throws EJSONError for NaN and infinities, which JSON cannot hold.
std::string FormatJSONNumber(double value);

// Reads a number text (optional "-", digits, optional "." and digits, optional exponent)
// as the nearest double. Values too large for a double give no result; values too small
// give zero of their sign. Anything else that is not such a text gives no result.
std::optional<double> ReadJSONNumber(std::string_view text);

} // namespace bramolt::json
