#pragma once

// Trimming blanks from both ends of a text, UTF-16 or UTF-8. What counts as a blank depends on
// where the text comes from, so every caller names its set:
//   - IsSpace:                U+0020 only (names and addresses a script passes);
//   - IsSpaceTabOrLineBreak:  U+0020, tab, CR and LF (text written in a header field);
//   - IsSpaceOrControl:       U+0020 and every code unit below it (keys, numbers in text).
// None of them takes a byte of a multi-byte UTF-8 sequence for a blank.

#include <string_view>

namespace bramolt::text {

constexpr bool IsSpace(char32_t c)
{
    return c == U' ';
}

constexpr bool IsSpaceTabOrLineBreak(char32_t c)
{
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n';
}

constexpr bool IsSpaceOrControl(char32_t c)
{
    return c <= U' ';
}

namespace detail {

// A byte of 0x80 or more is no blank, whatever the signedness of char.
template <typename Char> constexpr char32_t CodeUnit(Char c)
{
    if constexpr (sizeof(Char) == 1)
        return static_cast<unsigned char>(c);
    else
        return static_cast<char32_t>(c);
}

template <typename Char, typename IsBlank>
constexpr std::basic_string_view<Char> TrimStart(std::basic_string_view<Char> text, IsBlank isBlank)
{
    while (!text.empty() && isBlank(CodeUnit(text.front())))
        text.remove_prefix(1);
    return text;
}

template <typename Char, typename IsBlank>
constexpr std::basic_string_view<Char> TrimEnd(std::basic_string_view<Char> text, IsBlank isBlank)
{
    while (!text.empty() && isBlank(CodeUnit(text.back())))
        text.remove_suffix(1);
    return text;
}

} // namespace detail

template <typename IsBlank> constexpr std::u16string_view TrimStart(std::u16string_view text, IsBlank isBlank)
{
    return detail::TrimStart(text, isBlank);
}
template <typename IsBlank> constexpr std::string_view TrimStart(std::string_view text, IsBlank isBlank)
{
    return detail::TrimStart(text, isBlank);
}

template <typename IsBlank> constexpr std::u16string_view TrimEnd(std::u16string_view text, IsBlank isBlank)
{
    return detail::TrimEnd(text, isBlank);
}
template <typename IsBlank> constexpr std::string_view TrimEnd(std::string_view text, IsBlank isBlank)
{
    return detail::TrimEnd(text, isBlank);
}

template <typename IsBlank> constexpr std::u16string_view Trim(std::u16string_view text, IsBlank isBlank)
{
    return detail::TrimEnd(detail::TrimStart(text, isBlank), isBlank);
}
template <typename IsBlank> constexpr std::string_view Trim(std::string_view text, IsBlank isBlank)
{
    return detail::TrimEnd(detail::TrimStart(text, isBlank), isBlank);
}

} // namespace bramolt::text
