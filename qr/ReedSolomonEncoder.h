#pragma once

#include "qr/GenericGF.h"
#include "qr/GenericGFPoly.h"

#include <cstdint>
#include <span>

namespace bramolt::qr {

// Reed-Solomon error-correction codewords over the QR code field GF(256) (ISO/IEC 18004).
class TReedSolomonEncoder {
  public:
    // A block holds at most 255 codewords (the field's non-zero elements), one of them data.
    static constexpr int MaxECBytes = 254;

    TReedSolomonEncoder();

    // The generator polynomial of degree Degree (0..MaxECBytes): the product of (x - alpha^i) for
    // i = 0..Degree - 1. Generators are built once per program and shared by every encoder.
    const TGenericGFPoly& BuildGenerator(int Degree) const;

    // Replaces the last ECBytes entries of ToEncode with the error-correction codewords of the
    // entries before them: the remainder of data(x) * x^ECBytes divided by the generator, highest
    // degree first. Leaves ToEncode unchanged when ECBytes or the data count is not positive.
    // Throws std::length_error for a block longer than 255 codewords.
    void Encode(std::span<std::uint8_t> ToEncode, int ECBytes) const;

  private:
    const TGenericGF& FField;
};

} // namespace bramolt::qr
