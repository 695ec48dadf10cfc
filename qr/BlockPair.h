#pragma once

#include "qr/QRTypes.h"

namespace bramolt::qr {

// One Reed-Solomon block of a symbol: its data codewords and their error-correction codewords.
class TBlockPair {
  public:
    TBlockPair(TByteArray dataBytes, TByteArray errorCorrectionBytes)
        : FDataBytes(std::move(dataBytes)), FErrorCorrectionBytes(std::move(errorCorrectionBytes))
    {
    }

    const TByteArray& GetDataBytes() const { return FDataBytes; }
    const TByteArray& GetErrorCorrectionBytes() const { return FErrorCorrectionBytes; }

  private:
    TByteArray FDataBytes;
    TByteArray FErrorCorrectionBytes;
};

} // namespace bramolt::qr
