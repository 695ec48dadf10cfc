#pragma once

#include "qr/QRTypes.h"

namespace bramolt::qr {

// One Reed-Solomon block of a symbol: its data codewords and their error-correction codewords.
class TBlockPair {
  public:
    TBlockPair(TByteArray BA1, TByteArray BA2)
        : FDataBytes(std::move(BA1)), FErrorCorrectionBytes(std::move(BA2))
    {
    }

    const TByteArray& GetDataBytes() const { return FDataBytes; }
    const TByteArray& GetErrorCorrectionBytes() const { return FErrorCorrectionBytes; }

  private:
    TByteArray FDataBytes;
    TByteArray FErrorCorrectionBytes;
};

} // namespace bramolt::qr
