#pragma once

namespace bramolt::text {

// The value of a hexadecimal digit of either case, or -1. Takes a whole code unit: a UTF-16
// unit cut down to a byte could pass for an ASCII digit.
constexpr int HexDigitValue(char32_t c)
{
    if (c >= U'0' && c <= U'9')
        return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f')
        return static_cast<int>(c - U'a' + 10);
    if (c >= U'A' && c <= U'F')
        return static_cast<int>(c - U'A' + 10);
    return -1;
}

// The upper-case digit of a value from 0 to 15.
constexpr char16_t UpperHexDigit(unsigned value)
{
    return u"0123456789ABCDEF"[value & 0xF];
}

} // namespace bramolt::text
