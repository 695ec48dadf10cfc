#pragma once

#include <array>
#include <cstdint>
#include <stdexcept>

namespace bramolt::qr {

// A Galois field GF(2^m) with at most 256 elements, elements written as integers whose bit i is
// the coefficient of x^i. Its tables are computed when the field is constructed, so the QR code
// field below is a compile-time constant shared by every caller.
class TGenericGF {
  public:
    // primitive: the field's primitive polynomial (bit i = coefficient of x^i); size: 2^m, at most 256;
    // generatorBase: the exponent of the first root of the Reed-Solomon generator polynomials.
    constexpr TGenericGF(int primitive, int size, int generatorBase)
        : FPrimitive(primitive), FSize(size), FGeneratorBase(generatorBase)
    {
        if (size < 2 || size > 256 || (size & (size - 1)) != 0)
            throw std::invalid_argument("A Galois field of this kind has 2, 4, ... or 256 elements");
        int x = 1;
        for (int i = 0; i < FSize; ++i) {
            FExpTable[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(x);
            x <<= 1;
            if (x >= FSize)
                x = (x ^ FPrimitive) & (FSize - 1);
        }
        // Doubling the table lets Multiply add two logarithms without reducing the sum.
        for (int i = FSize - 1; i < 2 * FSize; ++i)
            FExpTable[static_cast<std::size_t>(i)] = FExpTable[static_cast<std::size_t>(i - (FSize - 1))];
        for (int i = 0; i < FSize - 1; ++i)
            FLogTable[FExpTable[static_cast<std::size_t>(i)]] = static_cast<std::uint8_t>(i);
    }

    // GF(256) of ISO/IEC 18004: primitive x^8 + x^4 + x^3 + x^2 + 1 (0x11D), generator base 0.
    static const TGenericGF& QRCodeField256();

    constexpr int Size() const { return FSize; }
    constexpr int GetGeneratorBase() const { return FGeneratorBase; }

    static constexpr int AddOrSubtract(int a, int b) { return a ^ b; }
    // alpha^a for 0 <= a < 2 * (Size - 1).
    constexpr int Exp(int a) const { return FExpTable[static_cast<std::size_t>(a)]; }
    // The i with alpha^i = a, for 0 < a < Size.
    constexpr int Log(int a) const { return FLogTable[static_cast<std::size_t>(a)]; }
    constexpr int Multiply(int a, int b) const
    {
        if (a == 0 || b == 0)
            return 0;
        return Exp(Log(a) + Log(b));
    }
    // The multiplicative inverse; 0 for 0, which has none.
    constexpr int Inverse(int a) const { return a == 0 ? 0 : Exp(FSize - Log(a) - 1); }

  private:
    int FPrimitive;
    int FSize;
    int FGeneratorBase;
    std::array<std::uint8_t, 512> FExpTable{};
    std::array<std::uint8_t, 256> FLogTable{}; // entry 0 is never used
};

} // namespace bramolt::qr
