#pragma once

// The same UTF-16 text seen as char16_t (the portable core) or as wchar_t (the Windows API).
// Only where wchar_t is a UTF-16 unit, as on Windows.

#include <climits>
#include <string>
#include <string_view>

#include "text/Utf8.h"

#if WCHAR_MAX == 0xFFFF || WCHAR_MAX == 0x7FFF

namespace bramolt::text {

inline std::wstring_view AsWide(std::u16string_view text) noexcept
{
    return {reinterpret_cast<const wchar_t*>(text.data()), text.size()};
}

inline std::u16string_view AsUtf16(std::wstring_view text) noexcept
{
    return {reinterpret_cast<const char16_t*>(text.data()), text.size()};
}

// UTF-8 for the Windows API; every byte that starts no acceptable sequence becomes U+FFFD.
inline std::wstring WideFromUtf8(std::string_view bytes)
{
    return std::wstring(AsWide(FromUtf8(bytes)));
}

} // namespace bramolt::text

#endif
