#pragma once

#include "qr/BitArray.h"
#include "qr/MatrixUtil.h"
#include "qr/ModulePlanes.h"
#include "qr/QRTypes.h"

#include <array>

namespace bramolt::qr {

// The eight candidate symbols of one codeword stream, one per mask pattern. They differ only in
// the data modules and the format information, so the function patterns and the data are placed
// once (with TMatrixUtil) and each candidate is composed from them a whole line at a time.
// Compose(m) equals what TMatrixUtil::BuildMatrix builds with mask pattern m.
class TSymbolTrials {
  public:
    // bits: the final codeword stream; version 1..40.
    TSymbolTrials(const TBitArray& bits, const TErrorCorrectionLevel& ecLevel, int version);

    // The complete symbol with maskPattern (0..7); valid until the next call.
    const TModulePlanes& Compose(int maskPattern);

  private:
    TErrorCorrectionLevel FECLevel;
    int FSide;
    TModulePlanes FFixed;     // function patterns and version information; format cells light
    TModulePlanes FDataCells; // the cells that carry data
    TModulePlanes FData;      // the unmasked data bits, on data cells
    TModulePlanes FTrial;
    std::array<std::array<TCell, 2>, 15> FFormatCells;
};

} // namespace bramolt::qr
