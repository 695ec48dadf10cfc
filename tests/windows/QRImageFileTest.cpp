#include "automation/QRImageFile.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "TestFolder.h"
#include "fileout/FileCreateError.h"
#include "qr/QRCodeGenerator.h"
#include "qr/QRErrors.h"

namespace bramolt::test {
namespace {

using fileout::EFileCreateError;
using fileout::kBmpPixelOffset;
using fileout::TMonochromeImage;

// Reads back what EncodeBmp32 writes: 32-bit bottom-up rows after a 54-byte header.
class TBmpReader {
  public:
    explicit TBmpReader(std::string file) : FFile(std::move(file)) {}
    int Width() const { return I32At(18); }
    int Height() const { return I32At(22); }
    bool IsBlack(int x, int y) const
    {
        const std::size_t offset =
            kBmpPixelOffset + (static_cast<std::size_t>(Height() - 1 - y) * Width() + x) * 4;
        return FFile.at(offset) == 0;
    }

  private:
    int I32At(std::size_t offset) const
    {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | static_cast<std::uint8_t>(FFile.at(offset + i));
        return static_cast<int>(value);
    }
    std::string FFile;
};

TEST(GenerateQRImageFile, OneCharacterGivesAVersion1SymbolWithItsMargin)
{
    TTestFolder folder;
    GenerateQRImageFile(u"A", (folder / "a.bmp").u16string());
    const TBmpReader bmp(ReadBytes(folder / "a.bmp"));
    ASSERT_EQ(bmp.Width(), 29);
    ASSERT_EQ(bmp.Height(), 29);
    for (int i = 0; i < 29; ++i)
        for (int margin : {0, 1, 2, 3, 25, 26, 27, 28}) {
            EXPECT_FALSE(bmp.IsBlack(i, margin)) << i << ", " << margin;
            EXPECT_FALSE(bmp.IsBlack(margin, i)) << margin << ", " << i;
        }
    EXPECT_TRUE(bmp.IsBlack(4, 4)) << "corner of the top-left finder pattern";
}

// The symbol is not symmetric (format information, timing, data), so this also catches
// rows and columns swapped between the facade and the image.
TEST(QRCodeImage, EveryPixelIsTheFacadesModuleAtRowYColumnX)
{
    qr::TQRCodeGenerator generator;
    generator.SetData(u"https://example.org/?q=\u00E9");
    const TMonochromeImage image = QRCodeImage(u"https://example.org/?q=\u00E9");
    ASSERT_EQ(image.Width(), generator.Rows());
    ASSERT_EQ(image.Height(), generator.Columns());
    int differences = 0, asymmetric = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            differences += image.IsBlack(x, y) != generator.IsBlack(y, x);
            asymmetric += generator.IsBlack(y, x) != generator.IsBlack(x, y);
        }
    EXPECT_EQ(differences, 0);
    EXPECT_GT(asymmetric, 0) << "the check above would not see a transposition";
}

TEST(GenerateQRImageFile, AnEmptyTextGivesAnEmptyFile)
{
    TTestFolder folder;
    GenerateQRImageFile(u"", (folder / "empty.bmp").u16string());
    ASSERT_TRUE(std::filesystem::is_regular_file(folder / "empty.bmp"));
    EXPECT_EQ(std::filesystem::file_size(folder / "empty.bmp"), 0u);
}

TEST(GenerateQRImageFile, TheLongestTextGivesAVersion40ImageAndOneMoreFailsWithoutTouchingTheFile)
{
    TTestFolder folder;
    const auto target = folder / "qr.bmp";
    const std::u16string longest(2953, u'\u00E9'); // ISO-8859-1 bytes, not alphanumeric
    GenerateQRImageFile(longest, target.u16string());
    const std::string previous = ReadBytes(target);
    EXPECT_EQ(TBmpReader(previous).Width(), 185);

    EXPECT_THROW(GenerateQRImageFile(longest + u"\u00E9", target.u16string()), qr::EQRTextTooLong);
    EXPECT_EQ(ReadBytes(target), previous);
    EXPECT_THROW(GenerateQRImageFile(longest + u"\u00E9", (folder / "new.bmp").u16string()),
                 qr::EQRTextTooLong);
    EXPECT_FALSE(std::filesystem::exists(folder / "new.bmp"));
    EXPECT_EQ(folder.Names(), std::set<std::string>{"qr.bmp"});
}

TEST(GenerateQRImageFile, AnExistingFileIsReplaced)
{
    TTestFolder folder;
    test::WriteBytes(folder / "qr.bmp", std::string(500000, 'x'));
    GenerateQRImageFile(u"A", (folder / "qr.bmp").u16string());
    EXPECT_EQ(std::filesystem::file_size(folder / "qr.bmp"), 54u + 29 * 29 * 4);
}

TEST(GenerateQRImageFile, AMissingFolderGivesTheCannotCreateMessage)
{
    TTestFolder folder;
    const std::u16string target = (folder / "missing" / "qr.bmp").u16string();
    try {
        GenerateQRImageFile(u"A", target);
        FAIL() << "no error";
    } catch (const EFileCreateError& error) {
        EXPECT_EQ(error.Message(), u"Cannot create file \"" + target + u"\". " + error.Cause());
        EXPECT_FALSE(error.Cause().empty());
    }
    EXPECT_TRUE(folder.Names().empty());
}

} // namespace
} // namespace bramolt::test
