#include "qr/QRCode.h"

#include <stdexcept>

namespace bramolt::qr {

int TQRCode::At(int X, int Y)
{
    if (!FMatrix)
        throw std::logic_error("The QR code record holds no matrix yet");
    const int value = FMatrix->Get(X, Y);
    if (value != 0 && value != 1)
        FQRCodeError = true;
    return value;
}

void TQRCode::SetAll(int VersionNum, int NumBytes, int NumDataBytes, int NumRSBlocks, int NumECBytes,
                     int MatrixWidth)
{
    FVersion = VersionNum;
    FNumTotalBytes = NumBytes;
    FNumDataBytes = NumDataBytes;
    FNumRSBlocks = NumRSBlocks;
    FNumECBytes = NumECBytes;
    FMatrixWidth = MatrixWidth;
}

bool TQRCode::IsValid() const
{
    const bool allSet = FVersion != -1 && FMatrixWidth != -1 && FMaskPattern != -1 && FNumTotalBytes != -1 &&
                        FNumDataBytes != -1 && FNumECBytes != -1 && FNumRSBlocks != -1;
    return FECLevel && allSet && IsValidMaskPattern(FMaskPattern) &&
           FNumDataBytes + FNumECBytes == FNumTotalBytes && FMatrix && FMatrixWidth == FMatrix->Width() &&
           FMatrix->Width() == FMatrix->Height();
}

} // namespace bramolt::qr
