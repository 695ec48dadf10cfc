#pragma once

#include "qr/BitArray.h"
#include "qr/ByteMatrix.h"
#include "qr/QRTypes.h"

#include <array>

namespace bramolt::qr {

// A module position: X the column, Y the row, from 0 at the top left.
struct TCell {
    int X;
    int Y;
    friend constexpr bool operator==(TCell, TCell) = default;
};

// Builds the module matrix of a model 2 symbol (ISO/IEC 18004, clause 7): finder patterns and
// separators, dark module, alignment and timing patterns, format and version information, and the
// masked data modules. Placement faults (a required cell already taken, a light dark module, an
// invalid mask, data bits left over) set MatrixUtilError and the build goes on.
class TMatrixUtil {
  public:
    // Fills matrix, which must be square with side 17 + 4 * version (version 1..40), with the
    // complete symbol: BuildFunctionPatterns, then PlaceDataBits.
    void BuildMatrix(const TBitArray& dataBits, const TErrorCorrectionLevel& ecLevel, int version,
                     int maskPattern, TByteMatrix& matrix);
    // Clears matrix and places everything but the data: the cells left at -1 are the data cells.
    void BuildFunctionPatterns(const TErrorCorrectionLevel& ecLevel, int version, int maskPattern,
                               TByteMatrix& matrix);
    // Fills the cells still at -1 with dataBits in the standard's two-column zigzag from the bottom
    // right, each bit inverted where mask maskPattern says so (-1: no mask). Cells beyond the last
    // bit receive 0 before masking.
    void PlaceDataBits(const TBitArray& dataBits, int maskPattern, TByteMatrix& matrix);

    bool MatrixUtilError() const { return FMatrixUtilError; }

    // The 15-bit format information of ecLevel and maskPattern (0..7), already XORed with 0x5412;
    // -1 for any other pattern.
    static int MakeFormatInfoBits(const TErrorCorrectionLevel& ecLevel, int maskPattern);
    // The 18-bit version information of version (7..40): version and 12-bit BCH remainder.
    static int MakeVersionInfoBits(int version);
    // The two cells that carry bit i (0 = least significant) of the format information, in a
    // symbol of side modules.
    static std::array<std::array<TCell, 2>, 15> FormatInfoCells(int side);
    // Remainder of value * x^(degree of poly) divided by poly, over GF(2).
    static int BchRemainder(int value, int poly);

  private:
    void PlaceFinderPatternsAndSeparators(TByteMatrix& matrix);
    void PlaceDarkModule(TByteMatrix& matrix);
    void PlaceAlignmentPatterns(int version, TByteMatrix& matrix);
    static void PlaceTimingPatterns(TByteMatrix& matrix);
    void PlaceFormatInfo(const TErrorCorrectionLevel& ecLevel, int maskPattern, TByteMatrix& matrix);
    static void PlaceVersionInfo(int version, TByteMatrix& matrix);
    // Copies a width x height block whose cell (j, i) reads cells[i * width + j] to (x0 + j, y0 + i).
    // Every target must be empty; the first one that is not stops the block with an error.
    void PlaceBlock(const std::uint8_t* cells, int width, int height, int x0, int y0, TByteMatrix& matrix);

    bool FMatrixUtilError = false;
};

} // namespace bramolt::qr
