#pragma once

#include "qr/ByteMatrix.h"
#include "qr/ModuleLine.h"

#include <vector>

namespace bramolt::qr {

// A square symbol as bits, held twice: once row by row and once column by column, so that
// rules that look along rows and along columns both work on whole lines.
class TModulePlanes {
  public:
    // Side modules per side (0..MaxSymbolSide), all light.
    explicit TModulePlanes(int Side);
    // Dark exactly where the square Matrix holds Value (1 for its dark modules, -1 for the
    // cells not assigned yet).
    static TModulePlanes FromMatrix(const TByteMatrix& Matrix, int Value = 1);
    // The modules as a matrix of 0 (light) and 1 (dark).
    TByteMatrix ToMatrix() const;

    int Side() const { return FSide; }
    bool Get(int X, int Y) const { return FRows[static_cast<std::size_t>(Y)].Get(X); }
    void Set(int X, int Y, bool Dark)
    {
        FRows[static_cast<std::size_t>(Y)].Set(X, Dark);
        FColumns[static_cast<std::size_t>(X)].Set(Y, Dark);
    }

    const TModuleLine& Row(int Y) const { return FRows[static_cast<std::size_t>(Y)]; }
    const TModuleLine& Column(int X) const { return FColumns[static_cast<std::size_t>(X)]; }
    // Whole-line writes; the caller keeps rows and columns describing the same modules.
    TModuleLine& Row(int Y) { return FRows[static_cast<std::size_t>(Y)]; }
    TModuleLine& Column(int X) { return FColumns[static_cast<std::size_t>(X)]; }

  private:
    // Rebuilds every column from the rows.
    void TransposeRows();

    int FSide;
    std::vector<TModuleLine> FRows;
    std::vector<TModuleLine> FColumns;
};

} // namespace bramolt::qr
