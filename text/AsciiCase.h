#pragma once

// Comparisons of protocol keywords (SMTP capabilities, SASL mechanism names, HTTP auth
// schemes), which are ASCII and case-insensitive; unlike std::toupper they do not depend on
// the C locale.

#include <string_view>

namespace bramolt::text {

constexpr char ToAsciiUpper(char c) noexcept
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (ToAsciiUpper(a[i]) != ToAsciiUpper(b[i]))
            return false;
    return true;
}

constexpr bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix) noexcept
{
    return text.size() >= prefix.size() && EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

} // namespace bramolt::text
