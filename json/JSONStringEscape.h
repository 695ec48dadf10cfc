#pragma once

// The escaped form of one string's contents, as the printer writes it. Text is mostly
// runs of units that stay as they are, so both the length count and the writer look at a
// block of units at a time and fall back to one unit at a time only where an escape is.
// A block is eight units in an SSE2 register where every x86-64 compiler has one, and
// four units in a 64-bit word elsewhere (32-bit x86 included).

#include "text/HexDigits.h"
#include "json/JSONWriter.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bramolt::json {

// Bit i of each mask stands for unit i of a block.
struct TUnitClasses {
    unsigned Below32;  // U+0000 to U+001F
    unsigned Escaped;  // the quotation mark, the reverse solidus and the solidus
    unsigned Above127; // U+0080 and up
};

// Four units in one 64-bit word, for any target.
struct TWordUnits {
    static constexpr std::size_t Count = 4;

    static TUnitClasses Classify(const char16_t* units)
    {
        std::uint64_t word;
        std::memcpy(&word, units, sizeof word);
        return {Gather(IsZero(word & Lanes(0xFFE0))),
                Gather(IsZero(word ^ Lanes(u'"')) | IsZero(word ^ Lanes(u'\\')) | IsZero(word ^ Lanes(u'/'))),
                Gather(~IsZero(word & Lanes(0xFF80)))};
    }
    static void Copy(const char16_t* from, char16_t* to) { std::memcpy(to, from, Count * sizeof(char16_t)); }

  private:
    static constexpr std::uint64_t Lanes(std::uint16_t value) { return value * 0x0001000100010001u; }
    // Sets the top bit of every 16-bit lane that is zero; no carry crosses into the next lane.
    static constexpr std::uint64_t IsZero(std::uint64_t word)
    {
        const std::uint64_t low = Lanes(0x7FFF);
        return ~(((word & low) + low) | word) & Lanes(0x8000);
    }
    // Moves the top bits of the four lanes into bits 0-3, the first unit in memory to bit 0.
    static unsigned Gather(std::uint64_t topBits)
    {
        const auto bits =
            static_cast<unsigned>((((topBits & Lanes(0x8000)) >> 15) * 0x0001000200040008u) >> 48);
        if constexpr (std::endian::native == std::endian::little)
            return bits;
        else
            return (bits & 1) << 3 | (bits & 2) << 1 | (bits & 4) >> 1 | (bits & 8) >> 3;
    }
};

#if defined(__SSE2__)
// Eight units in one SSE2 register.
struct TSse2Units {
    static constexpr std::size_t Count = 8;

    static TUnitClasses Classify(const char16_t* units)
    {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
        const __m128i zero = _mm_setzero_si128();
        const __m128i escaped = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(block, _mm_set1_epi16(u'"')),
                                                          _mm_cmpeq_epi16(block, _mm_set1_epi16(u'\\'))),
                                             _mm_cmpeq_epi16(block, _mm_set1_epi16(u'/')));
        return {Gather(_mm_cmpeq_epi16(_mm_and_si128(block, _mm_set1_epi16(short(0xFFE0))), zero)),
                Gather(escaped),
                ~Gather(_mm_cmpeq_epi16(_mm_and_si128(block, _mm_set1_epi16(short(0xFF80))), zero)) & 0xFF};
    }
    static void Copy(const char16_t* from, char16_t* to)
    {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
    }

  private:
    // One bit per 16-bit lane of a comparison result.
    static unsigned Gather(__m128i lanes)
    {
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(lanes, _mm_setzero_si128())));
    }
};
using TFastUnits = TSse2Units;
#else
using TFastUnits = TWordUnits;
#endif

template <typename TUnits> class TStringEscaper {
  public:
    // Write may store up to this many units past the end it returns.
    static constexpr std::size_t kOverrun = 4;

    explicit TStringEscaper(TJSONOutputOptions options) : FAbove127(options.EncodeAbove127)
    {
        for (std::size_t c = 0; c < 0x80; ++c) {
            const char escape = ShortEscape(static_cast<char>(c));
            if (escape != 0)
                SetEscape(c, 2, static_cast<char16_t>(escape));
            else if (c < 0x20 && options.EncodeBelow32)
                SetEscape(c, 6, u'u');
            else
                SetEscape(c, 1, 0);
        }
        SetEscape(0x80, options.EncodeAbove127 ? 6 : 1, u'u');
    }

    // The length of `text` written by Write, quotation marks included.
    std::size_t Length(std::u16string_view text) const
    {
        const char16_t* p = text.data();
        const char16_t* const end = p + text.size();
        std::size_t length = text.size() + 2;
        const std::size_t aboveExtra = FAbove127 ? 5 : 0;
        for (; static_cast<std::size_t>(end - p) >= TUnits::Count; p += TUnits::Count) {
            const TUnitClasses classes = TUnits::Classify(p);
            if (classes.Below32 != 0) {
                for (std::size_t i = 0; i < TUnits::Count; ++i)
                    length += FLength[Index(p[i])] - 1;
            } else {
                length += kBitCount[classes.Escaped] + aboveExtra * kBitCount[classes.Above127];
            }
        }
        for (; p != end; ++p)
            length += FLength[Index(*p)] - 1;
        return length;
    }

    // Writes `text` quoted and escaped at `out`; returns the end of what it wrote.
    char16_t* Write(std::u16string_view text, char16_t* out) const
    {
        const char16_t* p = text.data();
        const char16_t* const end = p + text.size();
        *out++ = u'"';
        // Plain units are copied a block at a time. From an escape on, a block's worth of
        // units is written one by one without a branch on their kind: mixed text would
        // mispredict one per escape. Every unit is written as at least one unit, so copying
        // a whole block before its first escape is known never reaches past this string.
        while (static_cast<std::size_t>(end - p) >= TUnits::Count) {
            const TUnitClasses classes = TUnits::Classify(p);
            const unsigned special = classes.Below32 | classes.Escaped | (FAbove127 ? classes.Above127 : 0);
            TUnits::Copy(p, out);
            if (special == 0) {
                p += TUnits::Count;
                out += TUnits::Count;
                continue;
            }
            const auto plain = static_cast<unsigned>(std::countr_zero(special));
            p += plain;
            out += plain;
            if (static_cast<std::size_t>(end - p) < TUnits::Count)
                break;
            for (std::size_t i = 0; i < TUnits::Count; ++i)
                out = WriteUnit(p[i], out);
            p += TUnits::Count;
        }
        // Fewer units than a block are left, often a whole short text such as a member name:
        // plain units are the rule there, so a branch that expects them beats six stores each.
        for (; p != end; ++p) {
            if (FLength[Index(*p)] == 1)
                *out++ = *p;
            else
                out = WriteUnit(*p, out);
        }
        *out++ = u'"';
        return out;
    }

  private:
    // The letter of a two-unit escape, or 0.
    static constexpr char ShortEscape(char c)
    {
        switch (c) {
        case '\b':
            return 'b';
        case '\t':
            return 't';
        case '\n':
            return 'n';
        case '\f':
            return 'f';
        case '\r':
            return 'r';
        case '"':
        case '/':
        case '\\':
            return c;
        default:
            return 0;
        }
    }
    static std::size_t Index(char16_t c) { return c < 0x80 ? c : 0x80; }
    void SetEscape(std::size_t index, std::uint8_t length, char16_t second)
    {
        FLength[index] = length;
        FSecond[index] = second;
    }

    // Always stores six units: the unit itself or a reverse solidus, the escape's letter,
    // and the four hexadecimal digits of the unit; only the escape's length counts.
    char16_t* WriteUnit(char16_t c, char16_t* out) const
    {
        const std::size_t index = Index(c);
        const std::size_t length = FLength[index];
        out[0] = length == 1 ? c : u'\\';
        out[1] = FSecond[index];
        std::memcpy(out + 2, kHexPairs[c >> 8].data(), 2 * sizeof(char16_t));
        std::memcpy(out + 4, kHexPairs[c & 0xFF].data(), 2 * sizeof(char16_t));
        return out + length;
    }

    // The two upper-case hexadecimal digits of every byte value.
    static constexpr std::array<std::array<char16_t, 2>, 256> kHexPairs = [] {
        std::array<std::array<char16_t, 2>, 256> pairs{};
        for (unsigned b = 0; b < 256; ++b)
            pairs[b] = {text::UpperHexDigit(b >> 4), text::UpperHexDigit(b)};
        return pairs;
    }();
    // The number of bits set in every byte value (masks of a block have at most eight bits).
    static constexpr std::array<std::uint8_t, 256> kBitCount = [] {
        std::array<std::uint8_t, 256> counts{};
        for (unsigned b = 0; b < 256; ++b)
            counts[b] = static_cast<std::uint8_t>(std::popcount(b));
        return counts;
    }();

    // Per unit (all from U+0080 up share the last entry): the length it is written as (1
    // itself, 2 a reverse solidus and a letter, 6 \uXXXX) and the second unit of its escape.
    std::array<std::uint8_t, 0x81> FLength{};
    std::array<char16_t, 0x81> FSecond{};
    bool FAbove127;
};

} // namespace bramolt::json
