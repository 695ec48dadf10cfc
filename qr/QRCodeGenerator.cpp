#include "qr/QRCodeGenerator.h"

#include "qr/Encoder.h"

namespace bramolt::qr {

namespace {

constexpr int MaxQuietZone = 100;

} // namespace

T2DBooleanArray BuildElements(const std::u16string& text, TQRCodeEncoding encoding)
{
    TQRCode qrCode;
    TEncoder().EncodeText(text, encoding, TErrorCorrectionLevel(), qrCode);
    const TByteMatrix* matrix = qrCode.Matrix();
    if (!matrix)
        return {};
    T2DBooleanArray elements(static_cast<std::size_t>(matrix->Width()),
                             std::vector<bool>(static_cast<std::size_t>(matrix->Height())));
    for (int y = 0; y < matrix->Height(); ++y) {
        const auto row = matrix->Row(y);
        for (int x = 0; x < matrix->Width(); ++x)
            elements[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)] =
                row[static_cast<std::size_t>(x)] == 1;
    }
    return elements;
}

void TQRCodeGenerator::SetData(const std::u16string& value)
{
    if (value == FData)
        return;
    FData = value;
    Regenerate();
}

void TQRCodeGenerator::SetEncoding(TQRCodeEncoding value)
{
    if (value == FEncoding)
        return;
    FEncoding = value;
    Regenerate();
}

void TQRCodeGenerator::SetQuietZone(int value)
{
    if (value == FQuietZone || value < 0 || value > MaxQuietZone)
        return;
    FQuietZone = value;
    Regenerate();
}

void TQRCodeGenerator::Regenerate()
{
    FElements = BuildElements(FData, FEncoding);
    const int side = static_cast<int>(FElements.size());
    FRows = side + 2 * FQuietZone;
    FColumns = side + 2 * FQuietZone;
}

bool TQRCodeGenerator::IsBlack(int row, int column) const
{
    // Bounds come from the modules themselves, not from Rows and Columns: after a failed run the
    // margin may already be new while Rows, Columns and the modules are still the old ones.
    const int side = static_cast<int>(FElements.size());
    const int r = row - FQuietZone;
    const int c = column - FQuietZone;
    if (r < 0 || c < 0 || r >= side || c >= side)
        return false;
    return FElements[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)];
}

} // namespace bramolt::qr
