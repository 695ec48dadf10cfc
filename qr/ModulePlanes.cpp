#include "qr/ModulePlanes.h"

#include <array>
#include <stdexcept>

namespace bramolt::qr {

namespace {

using TBitBlock = std::array<std::uint64_t, 64>;

// Transposes a 64 x 64 bit block in place (bit c of word r goes to bit r of word c) by swapping
// ever smaller off-diagonal sub-blocks: 32 x 32, then 16 x 16, down to single bits.
void TransposeBlock(TBitBlock& block)
{
    std::uint64_t lowHalves = 0x00000000FFFFFFFFU;
    for (int width = 32; width != 0; width >>= 1, lowHalves ^= lowHalves << width)
        for (int k = 0; k < 64; k = ((k | width) + 1) & ~width) {
            const std::size_t upper = static_cast<std::size_t>(k);
            const std::size_t lower = static_cast<std::size_t>(k | width);
            const std::uint64_t swapped = ((block[upper] >> width) ^ block[lower]) & lowHalves;
            block[upper] ^= swapped << width;
            block[lower] ^= swapped;
        }
}

} // namespace

TModulePlanes::TModulePlanes(int side)
    : FSide(side), FRows(static_cast<std::size_t>(side)), FColumns(static_cast<std::size_t>(side))
{
    if (side < 0 || side > MaxSymbolSide)
        throw std::invalid_argument("A QR symbol has at most 177 modules per side");
}

TModulePlanes TModulePlanes::FromMatrix(const TByteMatrix& matrix, int value)
{
    if (matrix.Width() != matrix.Height())
        throw std::invalid_argument("Only a square module matrix converts to module planes");
    TModulePlanes planes(matrix.Width());
    const auto stored = static_cast<std::uint8_t>(value & 0xFF);
    for (int y = 0; y < planes.FSide; ++y) {
        const auto cells = matrix.Row(y);
        TModuleLine& row = planes.FRows[static_cast<std::size_t>(y)];
        for (int first = 0; first < planes.FSide; first += 64) {
            std::uint64_t word = 0;
            for (int x = first; x < planes.FSide && x < first + 64; ++x)
                word |= static_cast<std::uint64_t>(cells[static_cast<std::size_t>(x)] == stored)
                        << (x - first);
            row.Word(first / 64) = word;
        }
    }
    planes.TransposeRows();
    return planes;
}

void TModulePlanes::TransposeRows()
{
    const int blocks = (FSide + 63) / 64;
    TBitBlock block;
    for (int by = 0; by < blocks; ++by)
        for (int bx = 0; bx < blocks; ++bx) {
            for (int r = 0; r < 64; ++r) {
                const int y = 64 * by + r;
                block[static_cast<std::size_t>(r)] =
                    y < FSide ? FRows[static_cast<std::size_t>(y)].Word(bx) : 0;
            }
            TransposeBlock(block);
            for (int c = 0; c < 64; ++c) {
                const int x = 64 * bx + c;
                if (x < FSide)
                    FColumns[static_cast<std::size_t>(x)].Word(by) = block[static_cast<std::size_t>(c)];
            }
        }
}

TByteMatrix TModulePlanes::ToMatrix() const
{
    TByteMatrix matrix(FSide, FSide);
    for (int y = 0; y < FSide; ++y)
        for (int x = 0; x < FSide; ++x)
            matrix.SetInteger(x, y, Get(x, y) ? 1 : 0);
    return matrix;
}

} // namespace bramolt::qr
