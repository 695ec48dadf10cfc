#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace bramolt::fileout {

// A black-and-white image: x runs to the right, y downward, (0, 0) is the top left pixel.
// A new image is all white.
class TMonochromeImage {
  public:
    // Throws std::invalid_argument for a negative width or height.
    TMonochromeImage(int width, int height);

    int Width() const noexcept { return FWidth; }
    int Height() const noexcept { return FHeight; }
    // x in 0..Width-1, y in 0..Height-1; throws std::out_of_range otherwise.
    bool IsBlack(int x, int y) const;
    void SetBlack(int x, int y, bool black);

  private:
    std::size_t IndexOf(int x, int y) const;

    int FWidth;
    int FHeight;
    std::vector<bool> FBlack; // row after row
};

// The image as a BMP file: the 14-byte file header ("BM"), a 40-byte information header, and
// the pixel rows bottom-up, uncompressed (BI_RGB), 32 bits per pixel, black 00 00 00 and white
// FF FF FF (blue, green, red) with the fourth byte FF. An image without pixels (a width or
// height of 0) gives no bytes at all. Throws std::length_error when the file would not fit
// the format's 32-bit sizes.
std::string EncodeBmp32(const TMonochromeImage& image);

// Sizes of the parts of the file, for readers and tests.
inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::size_t kBmpInfoHeaderSize = 40;
inline constexpr std::size_t kBmpPixelOffset = kBmpFileHeaderSize + kBmpInfoHeaderSize;

} // namespace bramolt::fileout
