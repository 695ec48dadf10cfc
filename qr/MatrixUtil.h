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
    // Fills Matrix, which must be square with side 17 + 4 * Version (Version 1..40), with the
    // complete symbol: BuildFunctionPatterns, then PlaceDataBits.
    void BuildMatrix(const TBitArray& DataBits, const TErrorCorrectionLevel& ECLevel, int Version,
                     int MaskPattern, TByteMatrix& Matrix);
    // Clears Matrix and places everything but the data: the cells left at -1 are the data cells.
    void BuildFunctionPatterns(const TErrorCorrectionLevel& ECLevel, int Version, int MaskPattern,
                               TByteMatrix& Matrix);
    // Fills the cells still at -1 with DataBits in the standard's two-column zigzag from the bottom
    // right, each bit inverted where mask MaskPattern says so (-1: no mask). Cells beyond the last
    // bit receive 0 before masking.
    void PlaceDataBits(const TBitArray& DataBits, int MaskPattern, TByteMatrix& Matrix);

    bool MatrixUtilError() const { return FMatrixUtilError; }

    // The 15-bit format information of ECLevel and MaskPattern (0..7), already XORed with 0x5412;
    // -1 for any other pattern.
    static int MakeFormatInfoBits(const TErrorCorrectionLevel& ECLevel, int MaskPattern);
    // The 18-bit version information of Version (7..40): version and 12-bit BCH remainder.
    static int MakeVersionInfoBits(int Version);
    // The two cells that carry bit i (0 = least significant) of the format information, in a
    // symbol of Side modules.
    static std::array<std::array<TCell, 2>, 15> FormatInfoCells(int Side);
    // Remainder of Value * x^(degree of Poly) divided by Poly, over GF(2).
    static int BchRemainder(int Value, int Poly);

  private:
    void PlaceFinderPatternsAndSeparators(TByteMatrix& Matrix);
    void PlaceDarkModule(TByteMatrix& Matrix);
    void PlaceAlignmentPatterns(int Version, TByteMatrix& Matrix);
    static void PlaceTimingPatterns(TByteMatrix& Matrix);
    void PlaceFormatInfo(const TErrorCorrectionLevel& ECLevel, int MaskPattern, TByteMatrix& Matrix);
    static void PlaceVersionInfo(int Version, TByteMatrix& Matrix);
    // Copies a Width x Height block whose cell (j, i) reads Cells[i * Width + j] to (X0 + j, Y0 + i).
    // Every target must be empty; the first one that is not stops the block with an error.
    void PlaceBlock(const std::uint8_t* Cells, int Width, int Height, int X0, int Y0, TByteMatrix& Matrix);

    bool FMatrixUtilError = false;
};

} // namespace bramolt::qr
