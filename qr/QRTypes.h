#pragma once

// Small types shared by every stage of the QR encoder (ISO/IEC 18004, model 2 symbols).

#include <cstdint>
#include <vector>

namespace bramolt::qr {

// How a text becomes the bits of a symbol. The ordinals are part of the automation interface.
enum class TQRCodeEncoding : std::uint8_t {
    qrAuto = 0,         // numeric, alphanumeric, ISO-8859-1 or UTF-8 bytes, whichever the text allows
    qrNumeric = 1,      // digits only; other characters are dropped
    qrAlphanumeric = 2, // the 45-character set; other characters are dropped
    qrISO88591 = 3,     // one byte per character below U+0100; other characters are dropped
    // The mark EF BB BF goes with qrUTF8NoBOM and not with qrUTF8BOM. The names are swapped, but
    // scripts depend on the ordinals doing what they always did, so the swap stays.
    qrUTF8NoBOM = 4, // EF BB BF, then the UTF-8 form of the text
    qrUTF8BOM = 5,   // the UTF-8 form of the text alone
};

// Segment modes in the order of their ordinals. Only numeric, alphanumeric and byte
// segments are ever written; the others exist for their indicators.
enum class TMode : std::uint8_t {
    qmTerminator,
    qmNumeric,
    qmAlphanumeric,
    qmStructuredAppend,
    qmByte,
    qmECI,
    qmKanji,
    qmFNC1FirstPosition,
    qmFNC1SecondPosition,
    qmHanzi,
};

// An error-correction level, known by the two-bit indicator written into the format information.
class TErrorCorrectionLevel {
  public:
    // Level L (indicator 01), the only level the server produces.
    constexpr TErrorCorrectionLevel() = default;
    // bits: the format indicator, 0..3 (M = 0, L = 1, H = 2, Q = 3).
    explicit constexpr TErrorCorrectionLevel(int bits) : FBits(bits & 3) {}

    constexpr int Bits() const { return FBits; }
    // Index of this level's block structure in a version descriptor: L, M, Q, H = 0, 1, 2, 3.
    constexpr int Ordinal() const
    {
        constexpr int OrdinalOfBits[4] = {1, 0, 3, 2};
        return OrdinalOfBits[FBits];
    }

    friend constexpr bool operator==(TErrorCorrectionLevel, TErrorCorrectionLevel) = default;

  private:
    int FBits = 1;
};

using TByteArray = std::vector<std::uint8_t>;

} // namespace bramolt::qr
