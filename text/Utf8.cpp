#include "text/Utf8.h"

#include <cstdint>
#include <cstring>

#include "text/Surrogates.h"

namespace bramolt::text {

namespace {

std::size_t EncodedLength(std::u16string_view text)
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
            length += 3; // a lone surrogate takes three bytes both as itself and as U+FFFD
        }
    }
    return length;
}

std::string Encode(std::u16string_view text, TLoneSurrogates surrogates)
{
    std::string bytes(EncodedLength(text), '\0');
    char* out = bytes.data();
    const char16_t* p = text.data();
    const char16_t* const end = p + text.size();
    while (p != end) {
        // Most text is ASCII: copy such runs four units at a time.
        while (end - p >= 4) {
            std::uint64_t units;
            std::memcpy(&units, p, sizeof units);
            if ((units & 0xFF80FF80FF80FF80u) != 0)
                break;
            for (int i = 0; i < 4; ++i)
                out[i] = static_cast<char>(p[i]);
            out += 4;
            p += 4;
        }
        while (p != end && *p < 0x80)
            *out++ = static_cast<char>(*p++);
        if (p == end)
            break;
        char32_t c = *p++;
        if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (IsHighSurrogate(c) && p != end && IsLowSurrogate(*p)) {
            const char32_t cp = CombineSurrogates(static_cast<char16_t>(c), *p++);
            *out++ = static_cast<char>(0xF0 | (cp >> 18));
            *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            if (IsSurrogate(c) && surrogates == TLoneSurrogates::Replace)
                c = 0xFFFD;
            *out++ = static_cast<char>(0xE0 | (c >> 12));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

std::u16string Decode(std::string_view bytes, TLoneSurrogates surrogates)
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
        const int n = DecodeUtf8Sequence(p, end, units, surrogates);
        if (n == 0) {
            text.push_back(u'\uFFFD');
            ++p;
        } else {
            text.append(units, static_cast<std::size_t>(n));
        }
    }
    return text;
}

} // namespace

std::string ToWtf8(std::u16string_view text)
{
    return Encode(text, TLoneSurrogates::KeepAsWtf8);
}

std::string ToUtf8(std::u16string_view text)
{
    return Encode(text, TLoneSurrogates::Replace);
}

std::u16string FromWtf8(std::string_view bytes)
{
    return Decode(bytes, TLoneSurrogates::KeepAsWtf8);
}

std::u16string FromUtf8(std::string_view bytes)
{
    return Decode(bytes, TLoneSurrogates::Replace);
}

} // namespace bramolt::text
