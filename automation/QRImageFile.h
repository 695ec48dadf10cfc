#pragma once

#include <string_view>

#include "fileout/BmpWriter.h"

namespace bramolt {

// The QR code symbol of `inputText` (level L, automatic encoding, a light margin of 4 modules)
// as an image of one pixel per module: width the facade's Rows, height its Columns, pixel
// (x, y) black when the module at row y and column x is dark. An empty text encodes nothing
// and gives a 0 x 0 image. Throws qr::EQRTextTooLong for a text beyond version 40.
fileout::TMonochromeImage QRCodeImage(std::u16string_view inputText);

// Writes QRCodeImage(inputText) as a BMP file (EncodeBmp32) with WriteWholeFile: a 0-byte file
// for an empty text. Throws qr::EQRTextTooLong before any file is touched, and
// EFileCreateError when the file cannot be written ("Cannot create file ..." message).
void GenerateQRImageFile(std::u16string_view inputText, std::u16string_view outputPath);

} // namespace bramolt
