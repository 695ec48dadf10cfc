#pragma once

#include "qr/ModuleLine.h"

namespace bramolt::qr {

// The eight data masks of ISO/IEC 18004 (X the column j, Y the row i of the standard's formulas).
class TMaskUtil {
  public:
    // True when mask maskPattern inverts the data module at column x, row y (x, y >= 0). A pattern
    // outside 0..7 inverts every module.
    static constexpr bool GetDataMaskBit(int maskPattern, int x, int y)
    {
        switch (maskPattern) {
        case 0:
            return (x + y) % 2 == 0;
        case 1:
            return y % 2 == 0;
        case 2:
            return x % 3 == 0;
        case 3:
            return (x + y) % 3 == 0;
        case 4:
            return (x / 3 + y / 2) % 2 == 0;
        case 5:
            return (x * y) % 2 + (x * y) % 3 == 0;
        case 6:
            return ((x * y) % 2 + (x * y) % 3) % 2 == 0;
        case 7:
            return ((x * y) % 3 + (x + y) % 2) % 2 == 0;
        default:
            return true;
        }
    }

    // GetDataMaskBit of pattern 0..7 for every module of row y (bit x) or of column x (bit y).
    static const TModuleLine& RowMask(int maskPattern, int y);
    static const TModuleLine& ColumnMask(int maskPattern, int x);
};

} // namespace bramolt::qr
