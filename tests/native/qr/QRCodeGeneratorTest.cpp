#include "QRTestSupport.h"

#include "qr/QRCodeGenerator.h"
#include "qr/QRErrors.h"

namespace bramolt::qr::test {
namespace {

// Every module of the generator, margin included, as rows of '0' / '1'.
std::vector<std::string> Picture(const TQRCodeGenerator& generator)
{
    std::vector<std::string> rows;
    for (int r = 0; r < generator.Rows(); ++r) {
        std::string row;
        for (int c = 0; c < generator.Columns(); ++c)
            row += generator.IsBlack(r, c) ? '1' : '0';
        rows.push_back(row);
    }
    return rows;
}

TEST(QRCodeGenerator, NewGeneratorHoldsNoSymbol)
{
    TQRCodeGenerator generator;
    EXPECT_EQ(generator.Rows(), 0);
    EXPECT_EQ(generator.Columns(), 0);
    EXPECT_EQ(generator.QuietZone(), 4);
    EXPECT_EQ(generator.Encoding(), TQRCodeEncoding::qrAuto);
    EXPECT_FALSE(generator.IsBlack(0, 0));
    generator.SetData(u"");
    EXPECT_EQ(generator.Rows(), 0) << "the empty text on a new generator changes nothing";
}

TEST(QRCodeGenerator, OneCharacterWithDefaultMargin)
{
    TQRCodeGenerator generator;
    generator.SetData(u"A");
    ASSERT_EQ(generator.Rows(), 29);
    ASSERT_EQ(generator.Columns(), 29);
    for (int i = 0; i < 29; ++i)
        for (const int margin : {0, 1, 2, 3, 25, 26, 27, 28}) {
            EXPECT_FALSE(generator.IsBlack(i, margin));
            EXPECT_FALSE(generator.IsBlack(margin, i));
        }
    EXPECT_TRUE(generator.IsBlack(4, 4)) << "corner of the top-left finder pattern";
    EXPECT_TRUE(generator.IsBlack(4, 24)) << "corner of the top-right finder pattern";
    EXPECT_TRUE(generator.IsBlack(24, 4)) << "corner of the bottom-left finder pattern";
    EXPECT_FALSE(generator.IsBlack(4 + 7, 4 + 7)) << "corner of the top-left separator";
    EXPECT_TRUE(generator.IsBlack(4 + 21 - 8, 4 + 8)) << "dark module";
}

TEST(QRCodeGenerator, PositionsOutsideTheSymbolAreLight)
{
    TQRCodeGenerator generator;
    generator.SetData(u"A");
    const std::pair<int, int> outside[] = {{-1, 4}, {4, -1}, {-100, -100}, {29, 4}, {4, 29}, {1000, 1000}};
    for (const auto& [row, column] : outside)
        EXPECT_FALSE(generator.IsBlack(row, column)) << row << ", " << column;
}

TEST(QRCodeGenerator, QuietZoneOutsideItsRangeIsIgnored)
{
    TQRCodeGenerator generator;
    generator.SetData(u"A");
    for (const int ignored : {101, -1}) {
        generator.SetQuietZone(ignored);
        EXPECT_EQ(generator.QuietZone(), 4) << ignored;
        EXPECT_EQ(generator.Rows(), 29) << ignored;
    }
    generator.SetQuietZone(0);
    EXPECT_EQ(generator.Rows(), 21);
    EXPECT_EQ(generator.Columns(), 21);
    EXPECT_TRUE(generator.IsBlack(0, 0));
    generator.SetQuietZone(100);
    EXPECT_EQ(generator.Rows(), 221);
    EXPECT_TRUE(generator.IsBlack(100, 100));
}

TEST(QRCodeGenerator, MarginShiftsTheSameSymbol)
{
    TQRCodeGenerator wide;
    wide.SetData(u"margin");
    TQRCodeGenerator narrow;
    narrow.SetQuietZone(1);
    narrow.SetData(u"margin");
    for (int r = 0; r < narrow.Rows(); ++r)
        for (int c = 0; c < narrow.Columns(); ++c)
            ASSERT_EQ(narrow.IsBlack(r, c), wide.IsBlack(r + 3, c + 3)) << r << ", " << c;
}

TEST(QRCodeGenerator, EncodingChangesTheSymbol)
{
    TQRCodeGenerator generator;
    generator.SetData(u"0123456789");
    const auto numeric = Picture(generator);
    generator.SetEncoding(TQRCodeEncoding::qrUTF8BOM);
    EXPECT_EQ(generator.Encoding(), TQRCodeEncoding::qrUTF8BOM);
    EXPECT_NE(Picture(generator), numeric);
    generator.SetEncoding(TQRCodeEncoding::qrAuto);
    EXPECT_EQ(Picture(generator), numeric);
}

TEST(QRCodeGenerator, EmptyTextAfterAnotherTextIsEncoded)
{
    TQRCodeGenerator generator;
    generator.SetData(u"x");
    generator.SetData(u"");
    EXPECT_EQ(generator.Rows(), 29) << "version 1 holding the three mark bytes";
}

TEST(QRCodeGenerator, LongestTextGivesVersion40AndOneMoreFails)
{
    const std::u16string longest(2953, u'\u00E9');
    TQRCodeGenerator generator;
    generator.SetData(longest);
    EXPECT_EQ(generator.Rows(), 185);
    const auto before = Picture(generator);

    ExpectThrowWithMessage<EQRTextTooLong>([&] { generator.SetData(longest + u"x"); },
                                           "Text too long for a QR code (2954 bytes; at most 2953)");
    EXPECT_EQ(generator.Data(), longest + u"x") << "the text is kept";
    EXPECT_EQ(generator.Rows(), 185) << "the previous symbol stays";
    EXPECT_EQ(Picture(generator), before);
    EXPECT_NO_THROW(generator.SetData(longest + u"x")) << "the same text again does nothing";
}

// A failed run after a margin change leaves the new margin beside the old modules; reading must
// stay within the modules (it used to index past them when the margin shrank).
TEST(QRCodeGenerator, FailedRunAfterMarginChangeReadsSafely)
{
    TQRCodeGenerator generator;
    generator.SetData(u"A");
    EXPECT_THROW(generator.SetData(std::u16string(3000, u'z')), EQRTextTooLong);
    EXPECT_THROW(generator.SetQuietZone(0), EQRTextTooLong);
    EXPECT_EQ(generator.QuietZone(), 0);
    EXPECT_EQ(generator.Rows(), 29) << "rows of the old symbol with its old margin";
    int dark = 0;
    for (int r = -2; r < generator.Rows() + 2; ++r)
        for (int c = -2; c < generator.Columns() + 2; ++c)
            dark += generator.IsBlack(r, c) ? 1 : 0;
    EXPECT_GT(dark, 0);
    EXPECT_TRUE(generator.IsBlack(0, 0));
    EXPECT_FALSE(generator.IsBlack(21, 21));
}

} // namespace
} // namespace bramolt::qr::test
