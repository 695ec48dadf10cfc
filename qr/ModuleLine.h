#pragma once

#include <array>
#include <cstdint>

namespace bramolt::qr {

// The widest symbol, version 40, has 177 modules per side.
inline constexpr int MaxSymbolSide = 177;

// One row or one column of a symbol, module i in bit i (1 = dark), so that rules about
// neighbouring modules test 64 positions at a time. Words is the number of 64-bit words: lines of
// small symbols are handled with fewer words than the widest needs. Bits past a symbol's side
// are kept 0 by whoever fills the line.
template <int Words> class TModuleLineOf {
  public:
    static constexpr int WordCount = Words;

    constexpr TModuleLineOf() = default;

    // Modules 0..count - 1 dark, the rest light.
    static constexpr TModuleLineOf FirstModules(int count)
    {
        TModuleLineOf line;
        for (int i = 0; i < Words; ++i) {
            const int inWord = count - 64 * i;
            line.FWords[static_cast<std::size_t>(i)] = inWord >= 64  ? ~std::uint64_t{0}
                                                       : inWord <= 0 ? 0
                                                                     : (std::uint64_t{1} << inWord) - 1;
        }
        return line;
    }

    // The first Fewer words of this line: the same modules, as long as the side fits them.
    template <int Fewer> constexpr TModuleLineOf<Fewer> Prefix() const
    {
        static_assert(Fewer <= Words);
        TModuleLineOf<Fewer> prefix;
        for (int i = 0; i < Fewer; ++i)
            prefix.Word(i) = FWords[static_cast<std::size_t>(i)];
        return prefix;
    }

    constexpr bool Get(int i) const { return (FWords[static_cast<std::size_t>(i) >> 6] >> (i & 63)) & 1U; }
    constexpr void Set(int i, bool dark)
    {
        const std::uint64_t bit = std::uint64_t{1} << (i & 63);
        std::uint64_t& word = FWords[static_cast<std::size_t>(i) >> 6];
        word = dark ? word | bit : word & ~bit;
    }
    // Modules 64 * i .. 64 * i + 63.
    constexpr std::uint64_t Word(int i) const { return FWords[static_cast<std::size_t>(i)]; }
    constexpr std::uint64_t& Word(int i) { return FWords[static_cast<std::size_t>(i)]; }

    // Module i of the result is module i + count of this line (light past the end); 0 < count < 64.
    constexpr TModuleLineOf Following(int count) const
    {
        TModuleLineOf result;
        for (int i = 0; i < Words; ++i) {
            const std::size_t w = static_cast<std::size_t>(i);
            const std::uint64_t next = i + 1 < Words ? FWords[w + 1] << (64 - count) : 0;
            result.FWords[w] = (FWords[w] >> count) | next;
        }
        return result;
    }
    // Module i of the result is module i - count of this line (light before the start); 0 < count < 64.
    constexpr TModuleLineOf Preceding(int count) const
    {
        TModuleLineOf result;
        for (int i = 0; i < Words; ++i) {
            const std::size_t w = static_cast<std::size_t>(i);
            const std::uint64_t previous = i > 0 ? FWords[w - 1] >> (64 - count) : 0;
            result.FWords[w] = (FWords[w] << count) | previous;
        }
        return result;
    }

    constexpr bool Any() const
    {
        std::uint64_t any = 0;
        for (const std::uint64_t word : FWords)
            any |= word;
        return any != 0;
    }
    // Number of dark modules.
    constexpr int Count() const
    {
        int count = 0;
        for (const std::uint64_t word : FWords)
            if (word != 0)
                count += PopCount(word);
        return count;
    }

    friend constexpr TModuleLineOf operator&(TModuleLineOf a, const TModuleLineOf& b)
    {
        for (std::size_t i = 0; i < Words; ++i)
            a.FWords[i] &= b.FWords[i];
        return a;
    }
    friend constexpr TModuleLineOf operator|(TModuleLineOf a, const TModuleLineOf& b)
    {
        for (std::size_t i = 0; i < Words; ++i)
            a.FWords[i] |= b.FWords[i];
        return a;
    }
    friend constexpr TModuleLineOf operator^(TModuleLineOf a, const TModuleLineOf& b)
    {
        for (std::size_t i = 0; i < Words; ++i)
            a.FWords[i] ^= b.FWords[i];
        return a;
    }
    // Flips every bit, also those past the symbol's side: mask the result where that matters.
    friend constexpr TModuleLineOf operator~(TModuleLineOf a)
    {
        for (std::uint64_t& word : a.FWords)
            word = ~word;
        return a;
    }
    friend constexpr bool operator==(const TModuleLineOf&, const TModuleLineOf&) = default;

  private:
    // Bit counting in a few arithmetic steps: the baseline x86-64 target has no population-count
    // instruction, and std::popcount then becomes a call into the compiler's runtime library.
    static constexpr int PopCount(std::uint64_t x)
    {
        x -= (x >> 1) & 0x5555555555555555U;
        x = (x & 0x3333333333333333U) + ((x >> 2) & 0x3333333333333333U);
        x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FU;
        return static_cast<int>((x * 0x0101010101010101U) >> 56);
    }

    std::array<std::uint64_t, Words> FWords{};
};

// A line wide enough for every symbol.
using TModuleLine = TModuleLineOf<(MaxSymbolSide + 63) / 64>;

} // namespace bramolt::qr
