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

    // The generator polynomial of the given degree (0..MaxECBytes): the product of (x - alpha^i) for
    // i = 0..degree - 1. Generators are built once per program and shared by every encoder.
    const TGenericGFPoly& BuildGenerator(int degree) const;

    // Replaces the last ecBytes entries of toEncode with the error-correction codewords of the
    // entries before them: the remainder of data(x) * x^ecBytes divided by the generator, highest
    // degree first. Leaves toEncode unchanged when ecBytes or the data count is not positive.
    // Throws std::length_error for a block longer than 255 codewords.
    void Encode(std::span<std::uint8_t> toEncode, int ecBytes) const;

  private:
    const TGenericGF& FField;
};

} // namespace bramolt::qr
