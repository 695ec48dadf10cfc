#include "text/Utf8.h"

#include <cstdint>
#include <cstring>

#include "text/Surrogates.h"

namespace bramolt::text {

namespace {

// Four UTF-16 units at `p`, all below U+0080: the common case of packets, JSON and names,
// taken a 64-bit word at a time.
bool FourAscii(const char16_t* p) noexcept
{
    std::uint64_t units;
    std::memcpy(&units, p, sizeof units);
    return (units & 0xFF80FF80FF80FF80u) == 0;
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

// The length of the UTF-8 (or WTF-8) form: a lone surrogate takes three bytes either way.
std::size_t Utf8Length(std::u16string_view text) noexcept
{
    std::size_t length = 0;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        if (n - i >= 4 && FourAscii(text.data() + i)) {
            length += 4;
            i += 4;
            continue;
        }
        const char16_t c = text[i++];
        if (c < 0x80) {
            length += 1;
        } else if (c < 0x800) {
            length += 2;
        } else if (IsHighSurrogate(c) && i < n && IsLowSurrogate(text[i])) {
            length += 4;
            ++i;
        } else {
            length += 3;
        }
    }
    return length;
}

struct TWritten {
    std::size_t FUnits; // of the text
    char* FEnd;         // of the bytes
};

// Writes the whole characters of `text` that fit before `limit`.
TWritten WriteUtf8(std::u16string_view text, char* out, char* const limit,
                   TLoneSurrogates surrogates) noexcept
{
    const char16_t* p = text.data();
    const char16_t* const end = p + text.size();
    while (p != end) {
        while (end - p >= 4 && limit - out >= 4 && FourAscii(p)) {
            for (int i = 0; i < 4; ++i)
                out[i] = static_cast<char>(p[i]);
            out += 4;
            p += 4;
        }
        if (p == end)
            break;
        char32_t c = *p;
        const bool pair = IsHighSurrogate(c) && end - p >= 2 && IsLowSurrogate(p[1]);
        const std::ptrdiff_t size = c < 0x80 ? 1 : c < 0x800 ? 2 : pair ? 4 : 3;
        if (limit - out < size)
            break;
        ++p;
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (pair) {
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
    return {static_cast<std::size_t>(p - text.data()), out};
}

std::string Encode(std::u16string_view text, TLoneSurrogates surrogates)
{
    std::string bytes(Utf8Length(text), '\0');
    WriteUtf8(text, bytes.data(), bytes.data() + bytes.size(), surrogates);
    return bytes;
}

} // namespace

TUtf8Buffer ToUtf8Buffer(std::u16string_view text)
{
    // Room for the text as ASCII and an eighth more; only when that is not enough is the
    // rest counted, once, to make the room it needs.
    std::size_t capacity = text.size() + text.size() / 8 + 16;
    TUtf8Buffer buffer{std::make_unique_for_overwrite<char[]>(capacity), 0};
    std::size_t taken = 0;
    while (true) {
        char* const bytes = buffer.FBytes.get();
        const TWritten written =
            WriteUtf8(text.substr(taken), bytes + buffer.FSize, bytes + capacity, TLoneSurrogates::Replace);
        taken += written.FUnits;
        buffer.FSize = static_cast<std::size_t>(written.FEnd - bytes);
        if (taken == text.size())
            return buffer;
        capacity = buffer.FSize + Utf8Length(text.substr(taken));
        auto larger = std::make_unique_for_overwrite<char[]>(capacity);
        std::memcpy(larger.get(), bytes, buffer.FSize);
        buffer.FBytes = std::move(larger);
    }
}

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
