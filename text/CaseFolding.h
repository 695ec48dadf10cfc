#pragma once

// Comparisons that ignore letter case. Keywords, switches and "True"/"False" are ASCII by
// definition: only the 26 ASCII letters fold, so a look-alike letter of another script never
// matches one of them. Names a person typed (field names) also fold the Latin-1 letters
// (Latin1Upper).

#include <algorithm>
#include <string_view>

namespace bramolt::text {

template <typename Char> constexpr Char AsciiUpper(Char c)
{
    return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - Char('a') + Char('A')) : c;
}

// U+00E0..U+00FE fold to U+00C0..U+00DE, all but the division sign U+00F7. U+00FF has its
// capital outside Latin-1 and U+00DF none, so both stay.
constexpr char16_t Latin1Upper(char16_t c)
{
    return (c >= 0xE0 && c <= 0xFE && c != 0xF7) ? static_cast<char16_t>(c - 0x20) : AsciiUpper(c);
}

namespace detail {
template <typename Char>
constexpr bool EqualsIgnoringAsciiCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b)
{
    return std::ranges::equal(a, b, {}, AsciiUpper<Char>, AsciiUpper<Char>);
}
} // namespace detail

constexpr bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return detail::EqualsIgnoringAsciiCase(a, b);
}
constexpr bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b)
{
    return detail::EqualsIgnoringAsciiCase(a, b);
}
constexpr bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b)
{
    return detail::EqualsIgnoringAsciiCase(a, b);
}

constexpr bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualsIgnoringAsciiCase(text.substr(0, prefix.size()), prefix);
}

} // namespace bramolt::text
