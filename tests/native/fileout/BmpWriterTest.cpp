#include "fileout/BmpWriter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "TestFolder.h"

namespace bramolt::fileout {
namespace {

std::uint32_t LittleEndianAt(const std::string& file, std::size_t offset, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(file.at(offset + i));
    return value;
}

// Black pixels where the text has '#': one string per row, top row first.
TMonochromeImage ImageOf(std::initializer_list<std::string_view> rows)
{
    TMonochromeImage image(static_cast<int>(rows.begin()->size()), static_cast<int>(rows.size()));
    int y = 0;
    for (std::string_view row : rows) {
        for (int x = 0; x < image.Width(); ++x)
            image.SetBlack(x, y, row[x] == '#');
        ++y;
    }
    return image;
}

TEST(EncodeBmp32, AnImageWithoutPixelsGivesNoBytes)
{
    for (auto [width, height] : {std::pair{0, 0}, {0, 5}, {5, 0}})
        EXPECT_EQ(EncodeBmp32(TMonochromeImage(width, height)), "") << width << " x " << height;
}

TEST(EncodeBmp32, HeaderFields)
{
    const std::string file = EncodeBmp32(ImageOf({"#..", "..#"}));
    ASSERT_EQ(file.size(), 54u + 3 * 2 * 4);
    const struct {
        std::size_t Offset;
        std::uint32_t Expected;
        int Size;
        const char* Field;
    } fields[] = {
        {0, 0x4D42, 2, "signature BM"},
        {2, 78, 4, "file size"},
        {6, 0, 4, "reserved"},
        {10, 54, 4, "offset of the pixels"},
        {14, 40, 4, "information header size"},
        {18, 3, 4, "width"},
        {22, 2, 4, "height, positive: bottom-up"},
        {26, 1, 2, "planes"},
        {28, 32, 2, "bits per pixel"},
        {30, 0, 4, "BI_RGB"},
        {34, 24, 4, "image size"},
        {38, 0, 4, "horizontal resolution"},
        {42, 0, 4, "vertical resolution"},
        {46, 0, 4, "colours used"},
        {50, 0, 4, "important colours"},
    };
    for (const auto& field : fields)
        EXPECT_EQ(LittleEndianAt(file, field.Offset, field.Size), field.Expected) << field.Field;
}

TEST(EncodeBmp32, PixelRowsAreStoredBottomUpInBlueGreenRedOrder)
{
    const std::string file = EncodeBmp32(ImageOf({"#..", "..#"}));
    const std::string white("\xFF\xFF\xFF\xFF", 4), black("\x00\x00\x00\xFF", 4);
    EXPECT_EQ(file.substr(kBmpPixelOffset), white + white + black + black + white + white);
}

TEST(EncodeBmp32, SizeOfTheLargestSymbolImage)
{
    EXPECT_EQ(EncodeBmp32(TMonochromeImage(185, 185)).size(), 54u + 185 * 185 * 4);
}

TEST(TMonochromeImage, RefusesNegativeSizesAndPixelsOutside)
{
    EXPECT_THROW(TMonochromeImage(-1, 1), std::invalid_argument);
    EXPECT_THROW(TMonochromeImage(1, -1), std::invalid_argument);
    TMonochromeImage image(2, 3);
    EXPECT_FALSE(image.IsBlack(1, 2)) << "a new image is white";
    EXPECT_THROW(image.SetBlack(2, 0, true), std::out_of_range);
    EXPECT_THROW((void)image.IsBlack(0, 3), std::out_of_range);
    EXPECT_THROW((void)image.IsBlack(-1, 0), std::out_of_range);
}

#ifndef _WIN32
// An independent decoder (Debian's python3-pil) reads the file back pixel for pixel.
TEST(EncodeBmp32, AnIndependentReaderSeesTheSamePixels)
{
    if (std::system("/usr/bin/python3 -c 'import PIL' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-pil is not installed";
    const TMonochromeImage image = ImageOf({"#.#.#..", "##.....", ".......", "......#", "#.....#"});
    test::TTestFolder folder;
    test::WriteBytes(folder / "image.bmp", EncodeBmp32(image));

    const std::string command =
        "/usr/bin/python3 -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
        "print(im.format, im.size[0], im.size[1]); px = im.convert('RGB').load(); "
        "[print(''.join({(0,0,0): '#', (255,255,255): '.'}.get(px[x, y], '?') for x in range(im.size[0]))) "
        "for y in range(im.size[1])]\" " +
        (folder / "image.bmp").string();
    const std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    ASSERT_TRUE(pipe);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe.get()))
        output += buffer;
    EXPECT_EQ(output, "BMP 7 5\n#.#.#..\n##.....\n.......\n......#\n#.....#\n");
}
#endif

} // namespace
} // namespace bramolt::fileout
