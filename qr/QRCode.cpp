#include "qr/QRCode.h"

#include <stdexcept>

namespace bramolt::qr {

int TQRCode::At(int x, int y)
{
    if (!FMatrix)
        throw std::logic_error("The QR code record holds no matrix yet");
    const int value = FMatrix->Get(x, y);
    if (value != 0 && value != 1)
        FQRCodeError = true;
    return value;
}

void TQRCode::SetAll(int versionNum, int numBytes, int numDataBytes, int numRSBlocks, int numECBytes,
                     int matrixWidth)
{
    FVersion = versionNum;
    FNumTotalBytes = numBytes;
    FNumDataBytes = numDataBytes;
    FNumRSBlocks = numRSBlocks;
    FNumECBytes = numECBytes;
    FMatrixWidth = matrixWidth;
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
