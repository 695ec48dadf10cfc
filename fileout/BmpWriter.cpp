#include "fileout/BmpWriter.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace bramolt::fileout {

namespace {

constexpr std::uint16_t kBitsPerPixel = 32;
constexpr std::size_t kBytesPerPixel = kBitsPerPixel / 8;
constexpr std::uint32_t kBiRgb = 0; // no compression, no colour masks, no colour table

// The fourth byte of a 32-bit BI_RGB pixel is unused by the format, but some readers take it
// for alpha: FF keeps the image opaque for them and changes nothing for the others.
constexpr std::uint8_t kBlack[kBytesPerPixel] = {0x00, 0x00, 0x00, 0xFF};
constexpr std::uint8_t kWhite[kBytesPerPixel] = {0xFF, 0xFF, 0xFF, 0xFF};

// All header fields are little-endian.
class THeaderWriter {
  public:
    explicit THeaderWriter(char* out) : FOut(out) {}
    THeaderWriter& U16(std::uint16_t value) { return Bytes(value, 2); }
    THeaderWriter& U32(std::uint32_t value) { return Bytes(value, 4); }
    THeaderWriter& I32(std::int32_t value) { return Bytes(static_cast<std::uint32_t>(value), 4); }

  private:
    THeaderWriter& Bytes(std::uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i, value >>= 8)
            *FOut++ = static_cast<char>(value & 0xFF);
        return *this;
    }
    char* FOut;
};

} // namespace

TMonochromeImage::TMonochromeImage(int width, int height) : FWidth(width), FHeight(height)
{
    if (width < 0 || height < 0)
        throw std::invalid_argument("image width and height must not be negative");
    FBlack.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
}

std::size_t TMonochromeImage::IndexOf(int x, int y) const
{
    if (x < 0 || x >= FWidth || y < 0 || y >= FHeight)
        throw std::out_of_range("pixel outside the image");
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth) + static_cast<std::size_t>(x);
}

bool TMonochromeImage::IsBlack(int x, int y) const
{
    return FBlack[IndexOf(x, y)];
}

void TMonochromeImage::SetBlack(int x, int y, bool black)
{
    FBlack[IndexOf(x, y)] = black;
}

std::string EncodeBmp32(const TMonochromeImage& image)
{
    const auto width = static_cast<std::size_t>(image.Width());
    const auto height = static_cast<std::size_t>(image.Height());
    if (width == 0 || height == 0)
        return {};

    // 32-bit rows are always a multiple of 4 bytes long: no row padding.
    const std::size_t rowSize = width * kBytesPerPixel;
    constexpr std::size_t kMaxFileSize = std::numeric_limits<std::uint32_t>::max();
    if (height > (kMaxFileSize - kBmpPixelOffset) / rowSize)
        throw std::length_error("image too large for a BMP file");
    const std::size_t pixelSize = rowSize * height;
    const std::size_t fileSize = kBmpPixelOffset + pixelSize;

    std::string file(fileSize, '\0');
    THeaderWriter(file.data())
        // BITMAPFILEHEADER
        .U16(0x4D42) // "BM"
        .U32(static_cast<std::uint32_t>(fileSize))
        .U16(0) // reserved
        .U16(0) // reserved
        .U32(static_cast<std::uint32_t>(kBmpPixelOffset))
        // BITMAPINFOHEADER; a positive height means the rows are stored bottom-up, which every
        // reader understands (top-down files with a negative height are not universal).
        .U32(static_cast<std::uint32_t>(kBmpInfoHeaderSize))
        .I32(image.Width())
        .I32(image.Height())
        .U16(1) // planes
        .U16(kBitsPerPixel)
        .U32(kBiRgb)
        .U32(static_cast<std::uint32_t>(pixelSize))
        .I32(0)  // horizontal resolution: unspecified
        .I32(0)  // vertical resolution: unspecified
        .U32(0)  // colours used: no colour table
        .U32(0); // important colours: all

    char* out = file.data() + kBmpPixelOffset;
    for (int y = image.Height() - 1; y >= 0; --y)
        for (int x = 0; x < image.Width(); ++x, out += kBytesPerPixel)
            std::memcpy(out, image.IsBlack(x, y) ? kBlack : kWhite, kBytesPerPixel);
    return file;
}

} // namespace bramolt::fileout
