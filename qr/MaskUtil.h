#pragma once

#include "qr/ModuleLine.h"

namespace bramolt::qr {

// The eight data masks of ISO/IEC 18004 (X the column j, Y the row i of the standard's formulas).
class TMaskUtil {
  public:
    // True when mask MaskPattern inverts the data module at column X, row Y (X, Y >= 0). A pattern
    // outside 0..7 inverts every module.
    static constexpr bool GetDataMaskBit(int MaskPattern, int X, int Y)
    {
        switch (MaskPattern) {
        case 0:
            return (X + Y) % 2 == 0;
        case 1:
            return Y % 2 == 0;
        case 2:
            return X % 3 == 0;
        case 3:
            return (X + Y) % 3 == 0;
        case 4:
            return (X / 3 + Y / 2) % 2 == 0;
        case 5:
            return (X * Y) % 2 + (X * Y) % 3 == 0;
        case 6:
            return ((X * Y) % 2 + (X * Y) % 3) % 2 == 0;
        case 7:
            return ((X * Y) % 3 + (X + Y) % 2) % 2 == 0;
        default:
            return true;
        }
    }

    // GetDataMaskBit of pattern 0..7 for every module of row Y (bit X) or of column X (bit Y).
    static const TModuleLine& RowMask(int MaskPattern, int Y);
    static const TModuleLine& ColumnMask(int MaskPattern, int X);
};

} // namespace bramolt::qr
