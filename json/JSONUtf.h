#pragma once

// UTF-16 <-> UTF-8 for the JSON core. Texts arrive as UTF-16 that may hold lone
// surrogates (nothing in an automation string forbids them). They are encoded as
// WTF-8: UTF-8 in which a lone surrogate code unit is written in its own three-byte
// form, so such a unit inside a JSON string survives parsing and printing unchanged.
// Properly paired surrogates always become one four-byte sequence.

#include <cstddef>
#include <string>
#include <string_view>

namespace bramolt::json {

// Number of bytes EncodeUtf8 writes for `text`.
std::size_t Utf8Length(std::u16string_view text);
// Writes exactly Utf8Length(text) bytes to `out` and returns the end of what it wrote.
char* EncodeUtf8(std::u16string_view text, char* out);
std::string ToUtf8(std::u16string_view text);
// Malformed bytes become U+FFFD each; encoded surrogates are taken as they are.
std::u16string FromUtf8(std::string_view bytes);

// Decodes one multi-byte sequence whose lead byte is at `p` (a byte of 0x80 or more) into
// one or two UTF-16 units at `out`. Accepts well-formed UTF-8 plus encoded surrogates;
// refuses overlong forms, stray continuation bytes, truncated sequences and values above
// U+10FFFF. Returns the number of units written (0 when malformed) and advances `p` past
// the sequence when it succeeds.
inline int DecodeUtf8Sequence(const unsigned char*& p, const unsigned char* end, char16_t* out)
{
    const unsigned char lead = p[0];
    auto cont = [&](std::ptrdiff_t i, unsigned char lo, unsigned char hi) {
        return end - p > i && p[i] >= lo && p[i] <= hi;
    };
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (!cont(1, 0x80, 0xBF))
            return 0;
        out[0] = static_cast<char16_t>(((lead & 0x1F) << 6) | (p[1] & 0x3F));
        p += 2;
        return 1;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (!cont(1, lead == 0xE0 ? 0xA0 : 0x80, 0xBF) || !cont(2, 0x80, 0xBF))
            return 0;
        out[0] = static_cast<char16_t>(((lead & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
        p += 3;
        return 1;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (!cont(1, lead == 0xF0 ? 0x90 : 0x80, lead == 0xF4 ? 0x8F : 0xBF) || !cont(2, 0x80, 0xBF) ||
            !cont(3, 0x80, 0xBF))
            return 0;
        const char32_t cp =
            ((lead & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) | (p[3] & 0x3Fu);
        out[0] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        out[1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        p += 4;
        return 2;
    }
    return 0;
}

} // namespace bramolt::json
