#include "qr/MaskUtil.h"

#include <array>

namespace bramolt::qr {

namespace {

// Every mask repeats with a period dividing 12 along rows and along columns (pattern 4 has
// period 6 across and 4 down; the others 2, 3 or 6), so 12 lines per direction describe it.
constexpr int MaskPeriod = 12;

using TMaskLines = std::array<std::array<TModuleLine, MaskPeriod>, 8>;

constexpr TMaskLines MakeMaskLines(bool alongRow)
{
    TMaskLines lines{};
    for (int pattern = 0; pattern < 8; ++pattern)
        for (int phase = 0; phase < MaskPeriod; ++phase)
            for (int i = 0; i < MaxSymbolSide; ++i)
                lines[static_cast<std::size_t>(pattern)][static_cast<std::size_t>(phase)].Set(
                    i, alongRow ? TMaskUtil::GetDataMaskBit(pattern, i, phase)
                                : TMaskUtil::GetDataMaskBit(pattern, phase, i));
    return lines;
}

constexpr TMaskLines RowMasks = MakeMaskLines(true);
constexpr TMaskLines ColumnMasks = MakeMaskLines(false);

} // namespace

const TModuleLine& TMaskUtil::RowMask(int maskPattern, int y)
{
    return RowMasks[static_cast<std::size_t>(maskPattern)][static_cast<std::size_t>(y % MaskPeriod)];
}

const TModuleLine& TMaskUtil::ColumnMask(int maskPattern, int x)
{
    return ColumnMasks[static_cast<std::size_t>(maskPattern)][static_cast<std::size_t>(x % MaskPeriod)];
}

} // namespace bramolt::qr
