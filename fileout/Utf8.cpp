#include "fileout/Utf8.h"

#include <cstdint>

namespace bramolt::fileout {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t code)
{
    if (code < 0x10000) {
        out += static_cast<char16_t>(code);
    } else {
        code -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (code >> 10));
        out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    }
}

// Length of the well-formed UTF-8 sequence at the start of `bytes` and its code point, or
// length 0 when it is not well-formed (table 3-7 of the Unicode standard, RFC 3629).
struct TDecoded {
    std::size_t Length;
    char32_t Code;
};

TDecoded DecodeOne(std::string_view bytes)
{
    const auto byteAt = [&](std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); };
    const std::uint8_t lead = byteAt(0);
    std::size_t length;
    char32_t code;
    std::uint8_t low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead < 0x80)
        return {1, lead};
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        if (lead == 0xE0)
            low = 0xA0; // overlong
        if (lead == 0xED)
            high = 0x9F; // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        if (lead == 0xF0)
            low = 0x90; // overlong
        if (lead == 0xF4)
            high = 0x8F; // above U+10FFFF
    } else {
        return {0, 0};
    }
    if (bytes.size() < length)
        return {0, 0};
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t next = byteAt(i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
            return {0, 0};
        code = (code << 6) | (next & 0x3F);
    }
    return {length, code};
}

} // namespace

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            unit = kReplacement;
        }
        AppendUtf8(out, unit);
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view bytes)
{
    std::u16string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const TDecoded decoded = DecodeOne(bytes);
        AppendUtf16(out, decoded.Length == 0 ? kReplacement : decoded.Code);
        bytes.remove_prefix(decoded.Length == 0 ? 1 : decoded.Length);
    }
    return out;
}

} // namespace bramolt::fileout
