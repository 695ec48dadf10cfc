#pragma once

// A whole number written as text by a script: leading blanks (U+0020 and control units), an
// optional sign, then decimal digits, or hexadecimal digits of either case after "$" or "0x".
// Hexadecimal takes up to 64 bits as they stand ("$FFFFFFFFFFFFFFFF" is -1, a handle with
// every bit set), and its sign negates those bits; a decimal value outside the 64-bit range
// is no integer. Anything after the digits, blanks included, makes the text no integer.

#include <cstdint>
#include <optional>
#include <string_view>

namespace bramolt::text {

std::optional<std::int64_t> IntegerFromText(std::u16string_view text);

} // namespace bramolt::text
