#include "automation/QRImageFile.h"

#include <string>

#include "fileout/AtomicFileWriter.h"
#include "qr/QRCodeGenerator.h"

namespace bramolt {

fileout::TMonochromeImage QRCodeImage(std::u16string_view inputText)
{
    qr::TQRCodeGenerator generator;
    generator.SetData(std::u16string(inputText));
    // Both equal the facade's defaults; set anyway so that the image does not depend on them.
    generator.SetEncoding(qr::TQRCodeEncoding::qrAuto);
    generator.SetQuietZone(4);

    fileout::TMonochromeImage image(generator.Rows(), generator.Columns());
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            image.SetBlack(x, y, generator.IsBlack(y, x));
    return image;
}

void GenerateQRImageFile(std::u16string_view inputText, std::u16string_view outputPath)
{
    fileout::WriteWholeFile(outputPath, fileout::EncodeBmp32(QRCodeImage(inputText)));
}

} // namespace bramolt
