#include "qr/SymbolTrials.h"

#include "qr/MaskUtil.h"
#include "qr/Version.h"

#include <stdexcept>

namespace bramolt::qr {

namespace {

int SideOf(int version)
{
    const TVersion* descriptor = TVersion::GetVersionForNumber(version);
    if (!descriptor)
        throw std::invalid_argument("QR code versions run from 1 to 40");
    return descriptor->GetDimensionForVersion();
}

} // namespace

TSymbolTrials::TSymbolTrials(const TBitArray& bits, const TErrorCorrectionLevel& ecLevel, int version)
    : FECLevel(ecLevel), FSide(SideOf(version)), FFixed(0), FDataCells(0), FData(0), FTrial(FSide),
      FFormatCells(TMatrixUtil::FormatInfoCells(FSide))
{
    TByteMatrix work(FSide, FSide);
    TMatrixUtil builder;
    builder.BuildFunctionPatterns(ecLevel, version, 0, work);
    FFixed = TModulePlanes::FromMatrix(work, 1);
    FDataCells = TModulePlanes::FromMatrix(work, -1);
    builder.PlaceDataBits(bits, -1, work);
    FData = TModulePlanes::FromMatrix(work, 1);
    for (const auto& copies : FFormatCells)
        for (const TCell& cell : copies)
            FFixed.Set(cell.X, cell.Y, false);
}

const TModulePlanes& TSymbolTrials::Compose(int maskPattern)
{
    if (maskPattern < 0 || maskPattern > 7)
        throw std::invalid_argument("QR code mask patterns run from 0 to 7");
    for (int i = 0; i < FSide; ++i) {
        FTrial.Row(i) =
            FFixed.Row(i) | ((FData.Row(i) ^ TMaskUtil::RowMask(maskPattern, i)) & FDataCells.Row(i));
        FTrial.Column(i) = FFixed.Column(i) |
                           ((FData.Column(i) ^ TMaskUtil::ColumnMask(maskPattern, i)) & FDataCells.Column(i));
    }
    const int format = TMatrixUtil::MakeFormatInfoBits(FECLevel, maskPattern);
    for (int i = 0; i < 15; ++i)
        if ((format >> i) & 1)
            for (const TCell& cell : FFormatCells[static_cast<std::size_t>(i)])
                FTrial.Set(cell.X, cell.Y, true);
    return FTrial;
}

} // namespace bramolt::qr
