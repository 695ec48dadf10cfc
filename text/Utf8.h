#pragma once

// UTF-16 <-> UTF-8. A UTF-16 text may hold lone surrogates (nothing in an automation string
// forbids them), which have no UTF-8 form. Each conversion says what becomes of them:
//   - WTF-8 keeps them: a lone surrogate is written in its own three-byte form and read back
//     as it was, so JSON strings survive parsing and printing unchanged.
//   - UTF-8 replaces them with U+FFFD, so what reaches a file, a QR code or a peer is always
//     well-formed (RFC 3629).
// A proper surrogate pair is always one four-byte sequence. Reading, every byte that starts
// no acceptable sequence (overlong forms, stray continuation bytes, truncated sequences,
// values above U+10FFFF) becomes one U+FFFD.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace bramolt::text {

enum class TLoneSurrogates { KeepAsWtf8, Replace };

std::string ToWtf8(std::u16string_view text);
std::string ToUtf8(std::u16string_view text);
std::u16string FromWtf8(std::string_view bytes);
std::u16string FromUtf8(std::string_view bytes);

// UTF-8 (lone surrogates replaced) in a buffer of its own that is not cleared first, for
// texts too large to go through twice: one pass when the text is mostly ASCII.
struct TUtf8Buffer {
    std::unique_ptr<char[]> FBytes;
    std::size_t FSize = 0;
};
TUtf8Buffer ToUtf8Buffer(std::u16string_view text);

// Decodes one multi-byte sequence whose lead byte is at `p` (a byte of 0x80 or more) into
// one or two UTF-16 units at `out`; encoded surrogates pass only when kept. Returns the
// number of units written and advances `p` past the sequence, or returns 0 and leaves `p`
// where it was when the sequence is malformed.
inline int DecodeUtf8Sequence(const unsigned char*& p, const unsigned char* end, char16_t* out,
                              TLoneSurrogates surrogates)
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
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80; // overlong below
        const unsigned char high = lead == 0xED && surrogates == TLoneSurrogates::Replace ? 0x9F : 0xBF;
        if (!cont(1, low, high) || !cont(2, 0x80, 0xBF))
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

} // namespace bramolt::text
