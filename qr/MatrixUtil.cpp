#include "qr/MatrixUtil.h"

#include "qr/MaskUtil.h"
#include "qr/Version.h"

#include <bit>
#include <stdexcept>

namespace bramolt::qr {

namespace {

constexpr std::uint8_t FinderPatternCells[7 * 7] = {
    1, 1, 1, 1, 1, 1, 1, //
    1, 0, 0, 0, 0, 0, 1, //
    1, 0, 1, 1, 1, 0, 1, //
    1, 0, 1, 1, 1, 0, 1, //
    1, 0, 1, 1, 1, 0, 1, //
    1, 0, 0, 0, 0, 0, 1, //
    1, 1, 1, 1, 1, 1, 1,
};
constexpr std::uint8_t SeparatorCells[8] = {0, 0, 0, 0, 0, 0, 0, 0};
constexpr std::uint8_t AlignmentPatternCells[5 * 5] = {
    1, 1, 1, 1, 1, //
    1, 0, 0, 0, 1, //
    1, 0, 1, 0, 1, //
    1, 0, 0, 0, 1, //
    1, 1, 1, 1, 1,
};

// First copy of the format information, bit 0 to bit 14: down column 8, then along row 8 to the
// left, stepping over the timing patterns at (8, 6) and (6, 8).
constexpr TCell FormatInfoCoordinates[15] = {
    {8, 0}, {8, 1}, {8, 2}, {8, 3}, {8, 4}, {8, 5}, {8, 7}, {8, 8},
    {7, 8}, {5, 8}, {4, 8}, {3, 8}, {2, 8}, {1, 8}, {0, 8},
};

constexpr int FormatInfoPoly = 0x537;   // x^10 + x^8 + x^5 + x^4 + x^2 + x + 1
constexpr int FormatInfoMask = 0x5412;  // keeps the format information from being all light
constexpr int VersionInfoPoly = 0x1F25; // x^12 + x^11 + x^10 + x^9 + x^8 + x^5 + x^2 + 1

constexpr std::uint8_t EmptyCell = 255;

int BitLength(int value)
{
    return std::bit_width(static_cast<unsigned>(value));
}

int SideOf(int version)
{
    const TVersion* descriptor = TVersion::GetVersionForNumber(version);
    if (!descriptor)
        throw std::invalid_argument("QR code versions run from 1 to 40");
    return descriptor->GetDimensionForVersion();
}

void CheckMatrix(int version, const TByteMatrix& matrix)
{
    const int side = SideOf(version);
    if (matrix.Width() != side || matrix.Height() != side)
        throw std::invalid_argument("The module matrix does not have the side of the version");
}

} // namespace

void TMatrixUtil::BuildMatrix(const TBitArray& dataBits, const TErrorCorrectionLevel& ecLevel, int version,
                              int maskPattern, TByteMatrix& matrix)
{
    BuildFunctionPatterns(ecLevel, version, maskPattern, matrix);
    PlaceDataBits(dataBits, maskPattern, matrix);
}

void TMatrixUtil::BuildFunctionPatterns(const TErrorCorrectionLevel& ecLevel, int version, int maskPattern,
                                        TByteMatrix& matrix)
{
    CheckMatrix(version, matrix);
    matrix.Clear(EmptyCell);
    PlaceFinderPatternsAndSeparators(matrix);
    PlaceDarkModule(matrix);
    PlaceAlignmentPatterns(version, matrix);
    PlaceTimingPatterns(matrix);
    PlaceFormatInfo(ecLevel, maskPattern, matrix);
    PlaceVersionInfo(version, matrix);
}

// ---- Function patterns ---------------------------------------------------------------------

void TMatrixUtil::PlaceBlock(const std::uint8_t* cells, int width, int height, int x0, int y0,
                             TByteMatrix& matrix)
{
    for (int i = 0; i < height; ++i)
        for (int j = 0; j < width; ++j) {
            if (matrix.Get(x0 + j, y0 + i) != -1) {
                FMatrixUtilError = true;
                return;
            }
            matrix.SetInteger(x0 + j, y0 + i, cells[i * width + j]);
        }
}

void TMatrixUtil::PlaceFinderPatternsAndSeparators(TByteMatrix& matrix)
{
    const int side = matrix.Width();
    PlaceBlock(FinderPatternCells, 7, 7, 0, 0, matrix);
    PlaceBlock(FinderPatternCells, 7, 7, side - 7, 0, matrix);
    PlaceBlock(FinderPatternCells, 7, 7, 0, side - 7, matrix);
    // Light separators around the three finders: a row of 8 and a column of 7 each.
    PlaceBlock(SeparatorCells, 8, 1, 0, 7, matrix);
    PlaceBlock(SeparatorCells, 8, 1, side - 8, 7, matrix);
    PlaceBlock(SeparatorCells, 8, 1, 0, side - 8, matrix);
    PlaceBlock(SeparatorCells, 1, 7, 7, 0, matrix);
    PlaceBlock(SeparatorCells, 1, 7, side - 8, 0, matrix);
    PlaceBlock(SeparatorCells, 1, 7, 7, side - 7, matrix);
}

void TMatrixUtil::PlaceDarkModule(TByteMatrix& matrix)
{
    const int y = matrix.Height() - 8;
    if (matrix.Get(8, y) == 0)
        FMatrixUtilError = true;
    else
        matrix.SetInteger(8, y, 1);
}

void TMatrixUtil::PlaceAlignmentPatterns(int version, TByteMatrix& matrix)
{
    const auto centres = TVersion::GetVersionForNumber(version)->GetAlignmentPatternCenters();
    for (const int y : centres)
        for (const int x : centres)
            // Centres on a finder pattern (three corners) are taken already and skipped.
            if (matrix.Get(x, y) == -1)
                PlaceBlock(AlignmentPatternCells, 5, 5, x - 2, y - 2, matrix);
}

void TMatrixUtil::PlaceTimingPatterns(TByteMatrix& matrix)
{
    for (int i = 8; i <= matrix.Width() - 9; ++i) {
        const int value = (i + 1) % 2;
        if (matrix.Get(i, 6) == -1)
            matrix.SetInteger(i, 6, value);
        if (matrix.Get(6, i) == -1)
            matrix.SetInteger(6, i, value);
    }
}

// ---- Format and version information --------------------------------------------------------

int TMatrixUtil::BchRemainder(int value, int poly)
{
    const int degree = BitLength(poly) - 1;
    int remainder = value << degree;
    while (BitLength(remainder) > degree)
        remainder ^= poly << (BitLength(remainder) - degree - 1);
    return remainder;
}

int TMatrixUtil::MakeFormatInfoBits(const TErrorCorrectionLevel& ecLevel, int maskPattern)
{
    if (maskPattern < 0 || maskPattern > 7)
        return -1;
    const int data = (ecLevel.Bits() << 3) | maskPattern;
    return ((data << 10) | BchRemainder(data, FormatInfoPoly)) ^ FormatInfoMask;
}

int TMatrixUtil::MakeVersionInfoBits(int version)
{
    return (version << 12) | BchRemainder(version, VersionInfoPoly);
}

std::array<std::array<TCell, 2>, 15> TMatrixUtil::FormatInfoCells(int side)
{
    std::array<std::array<TCell, 2>, 15> cells{};
    for (int i = 0; i < 15; ++i) {
        // Second copy: bits 0..7 along row 8 from the right edge, bits 8..14 down column 8 to the bottom.
        const TCell second = i < 8 ? TCell{side - 1 - i, 8} : TCell{8, side - 15 + i};
        cells[static_cast<std::size_t>(i)] = {FormatInfoCoordinates[i], second};
    }
    return cells;
}

void TMatrixUtil::PlaceFormatInfo(const TErrorCorrectionLevel& ecLevel, int maskPattern, TByteMatrix& matrix)
{
    const int bits = MakeFormatInfoBits(ecLevel, maskPattern);
    if (bits < 0) {
        FMatrixUtilError = true;
        return;
    }
    const auto cells = FormatInfoCells(matrix.Width());
    for (int i = 0; i < 15; ++i)
        for (const TCell& cell : cells[static_cast<std::size_t>(i)])
            matrix.SetInteger(cell.X, cell.Y, (bits >> i) & 1);
}

void TMatrixUtil::PlaceVersionInfo(int version, TByteMatrix& matrix)
{
    if (version < 7)
        return;
    const int bits = MakeVersionInfoBits(version);
    const int corner = matrix.Height() - 11;
    // A 6 x 3 block above the bottom-left finder and its mirror left of the top-right finder,
    // least significant bit first.
    for (int n = 0; n < 18; ++n) {
        const int bit = (bits >> n) & 1;
        matrix.SetInteger(n / 3, corner + n % 3, bit);
        matrix.SetInteger(corner + n % 3, n / 3, bit);
    }
}

// ---- Data modules --------------------------------------------------------------------------

void TMatrixUtil::PlaceDataBits(const TBitArray& dataBits, int maskPattern, TByteMatrix& matrix)
{
    const int side = matrix.Width();
    const int bitCount = dataBits.GetSize();
    const bool masked = maskPattern != -1;
    const bool maskTabled = maskPattern >= 0 && maskPattern <= 7;
    int bitIndex = 0;
    int direction = -1; // upwards first
    int y = side - 1;
    for (int x = side - 1; x > 0; x -= 2) {
        if (x == 6)
            x = 5; // the vertical timing pattern is never a data column
        for (; y >= 0 && y < side; y += direction) {
            const TModuleLine& maskRow = TMaskUtil::RowMask(maskTabled ? maskPattern : 0, y);
            for (int xx = x; xx >= x - 1; --xx) {
                if (matrix.Get(xx, y) != -1)
                    continue;
                bool bit = false;
                if (bitIndex < bitCount)
                    bit = dataBits.Get(bitIndex++);
                if (masked && (!maskTabled || maskRow.Get(xx)))
                    bit = !bit;
                matrix.SetBoolean(xx, y, bit);
            }
        }
        direction = -direction;
        y += direction;
    }
    if (bitIndex != bitCount)
        FMatrixUtilError = true;
}

} // namespace bramolt::qr
