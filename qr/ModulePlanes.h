#pragma once

#include "qr/ByteMatrix.h"
#include "qr/ModuleLine.h"

#include <vector>

namespace bramolt::qr {

// A square symbol as bits, held twice: once row by row and once column by column, so that
// rules that look along rows and along columns both work on whole lines.
class TModulePlanes {
  public:
    // A symbol of side modules per side (0..MaxSymbolSide), all light.
    explicit TModulePlanes(int side);
    // Dark exactly where the square matrix holds value (1 for its dark modules, -1 for the
    // cells not assigned yet).
    static TModulePlanes FromMatrix(const TByteMatrix& matrix, int value = 1);
    // The modules as a matrix of 0 (light) and 1 (dark).
    TByteMatrix ToMatrix() const;

    int Side() const { return FSide; }
    bool Get(int x, int y) const { return FRows[static_cast<std::size_t>(y)].Get(x); }
    void Set(int x, int y, bool dark)
    {
        FRows[static_cast<std::size_t>(y)].Set(x, dark);
        FColumns[static_cast<std::size_t>(x)].Set(y, dark);
    }

    const TModuleLine& Row(int y) const { return FRows[static_cast<std::size_t>(y)]; }
    const TModuleLine& Column(int x) const { return FColumns[static_cast<std::size_t>(x)]; }
    // Whole-line writes; the caller keeps rows and columns describing the same modules.
    TModuleLine& Row(int y) { return FRows[static_cast<std::size_t>(y)]; }
    TModuleLine& Column(int x) { return FColumns[static_cast<std::size_t>(x)]; }

  private:
    // Rebuilds every column from the rows.
    void TransposeRows();

    int FSide;
    std::vector<TModuleLine> FRows;
    std::vector<TModuleLine> FColumns;
};

} // namespace bramolt::qr
