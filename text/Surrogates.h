#pragma once

// UTF-16 surrogates: a high unit (D800-DBFF) followed by a low one (DC00-DFFF) stands for one
// code point above U+FFFF. Automation strings may hold either kind alone.

namespace bramolt::text {

constexpr bool IsHighSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

constexpr bool IsLowSurrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

constexpr bool IsSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// The code point of a high and a low surrogate.
constexpr char32_t CombineSurrogates(char16_t high, char16_t low)
{
    return 0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (static_cast<char32_t>(low) - 0xDC00);
}

} // namespace bramolt::text
