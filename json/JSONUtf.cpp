#include "json/JSONUtf.h"

#include <cstdint>
#include <cstring>

namespace bramolt::json {

namespace {

bool IsHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

std::size_t Utf8Length(std::u16string_view text)
{
    std::size_t length = 0;
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            length += 1;
        } else if (c < 0x800) {
            length += 2;
        } else if (IsHighSurrogate(c) && i + 1 < n && IsLowSurrogate(text[i + 1])) {
            length += 4;
            ++i;
        } else {
            length += 3;
        }
    }
    return length;
}

char* EncodeUtf8(std::u16string_view text, char* out)
{
    const char16_t* p = text.data();
    const char16_t* const end = p + text.size();
    while (p != end) {
        // Most JSON text is ASCII: copy such runs four units at a time.
        while (end - p >= 4) {
            std::uint64_t units;
            std::memcpy(&units, p, sizeof units);
            if ((units & 0xFF80FF80FF80FF80u) != 0)
                break;
            out[0] = static_cast<char>(p[0]);
            out[1] = static_cast<char>(p[1]);
            out[2] = static_cast<char>(p[2]);
            out[3] = static_cast<char>(p[3]);
            out += 4;
            p += 4;
        }
        while (p != end && *p < 0x80)
            *out++ = static_cast<char>(*p++);
        if (p == end)
            break;
        const char16_t c = *p++;
        if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (IsHighSurrogate(c) && p != end && IsLowSurrogate(*p)) {
            const char32_t cp = 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (*p++ - 0xDC00);
            *out++ = static_cast<char>(0xF0 | (cp >> 18));
            *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (cp & 0x3F));
        } else { // a character of the basic plane, or a lone surrogate (WTF-8)
            *out++ = static_cast<char>(0xE0 | (c >> 12));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string ToUtf8(std::u16string_view text)
{
    std::string bytes(Utf8Length(text), '\0');
    EncodeUtf8(text, bytes.data());
    return bytes;
}

std::u16string FromUtf8(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    auto p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto end = p + bytes.size();
    while (p != end) {
        if (*p < 0x80) {
            text.push_back(*p++);
            continue;
        }
        char16_t units[2];
        const int n = DecodeUtf8Sequence(p, end, units);
        if (n == 0) {
            text.push_back(u'\uFFFD');
            ++p;
        } else {
            text.append(units, static_cast<std::size_t>(n));
        }
    }
    return text;
}

} // namespace bramolt::json
