// Every symbol must read back with an independent decoder: symbols of a table of texts are
// drawn as PGM images (4-module margin, 4 pixels per module) and decoded with zbarimg from
// Debian's zbar-tools. The decoder's raw bytes (-Sbinary: no character set guessing) must equal
// the segment's bytes. A missing zbarimg fails the test: the check must not vanish silently.
#include "QRTestSupport.h"

#include "qr/Encoder.h"
#include "qr/MatrixUtil.h"
#include "qr/QRCodeGenerator.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace bramolt::qr::test {
namespace {

namespace fs = std::filesystem;
using E = TQRCodeEncoding;

constexpr int PixelsPerModule = 4;

// A binary PGM of rows x columns modules; isBlack(row, column) gives each module.
template <typename IsBlack> void WritePgm(int rows, int columns, IsBlack isBlack, const fs::path& file)
{
    std::ofstream out(file, std::ios::binary);
    const int width = columns * PixelsPerModule;
    const int height = rows * PixelsPerModule;
    out << "P5\n" << width << ' ' << height << "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out.put(isBlack(y / PixelsPerModule, x / PixelsPerModule) ? '\0' : '\xFF');
}

void WritePgm(const TQRCodeGenerator& generator, const fs::path& file)
{
    WritePgm(
        generator.Rows(), generator.Columns(), [&](int r, int c) { return generator.IsBlack(r, c); }, file);
}

// A matrix with a light margin of 4 modules.
void WritePgm(const TByteMatrix& matrix, const fs::path& file)
{
    const int margin = 4;
    WritePgm(
        matrix.Height() + 2 * margin, matrix.Width() + 2 * margin,
        [&](int r, int c) {
            const int y = r - margin;
            const int x = c - margin;
            return x >= 0 && y >= 0 && x < matrix.Width() && y < matrix.Height() && matrix.Get(x, y) == 1;
        },
        file);
}

struct TCommandResult {
    int ExitCode;
    std::string Output;
};

TCommandResult RunCommand(const std::string& command)
{
    TCommandResult result{-1, {}};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    std::size_t read = 0;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.Output.append(buffer, read);
    const int status = pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// The bytes a decoder must report for a text: the segment's bytes in byte mode, the kept
// characters (ASCII) otherwise.
std::string ExpectedBytes(const std::u16string& text, E option)
{
    const TMode mode = TEncoder::SelectMode(text, option);
    const std::u16string kept = TEncoder::KeepEncodableChars(text, mode, option);
    if (mode != TMode::qmByte)
        return std::string(kept.begin(), kept.end());
    const TByteArray bytes = TEncoder::SegmentBytes(kept, option);
    return std::string(bytes.begin(), bytes.end());
}

std::u16string Cycle(std::u16string_view alphabet, int length)
{
    std::u16string text;
    for (int i = 0; i < length; ++i)
        text += alphabet[static_cast<std::size_t>(i) % alphabet.size()];
    return text;
}

std::u16string RandomDigits(int length)
{
    std::mt19937 random(static_cast<unsigned>(length));
    std::u16string text;
    for (int i = 0; i < length; ++i)
        text += static_cast<char16_t>(u'0' + random() % 10);
    return text;
}

struct TCase {
    const char* Name;
    std::u16string Text;
    E Option;
    int Version;
};

class ZbarDecode : public ::testing::Test {
  protected:
    void SetUp() override
    {
        const TCommandResult which = RunCommand("command -v zbarimg");
        ASSERT_EQ(which.ExitCode, 0) << "zbarimg not found: install the Debian package zbar-tools";
        FDirectory = fs::temp_directory_path() / ("bramolt-qr-zbar-" + std::to_string(getpid()));
        fs::create_directories(FDirectory);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(FDirectory, ignored);
    }

    fs::path FDirectory;
};

TEST_F(ZbarDecode, EverySymbolReadsBack)
{
    const std::u16string latin1 = u"Gr\u00FC\u00DFe aus K\u00F6ln, \u00E7a co\u00FBte 5\u00A3; ";
    const std::u16string beyond = u"\u20AC \u4E2D\u6587 \U0001F600 \u0416\u0438\u0437\u043D\u044C; ";
    const TCase cases[] = {
        {"numeric, version 1", u"01234567", E::qrAuto, 1},
        {"numeric, version 10", RandomDigits(560), E::qrAuto, 10},
        {"numeric, longest", RandomDigits(7089), E::qrAuto, 40},
        {"numeric from mixed text", u"tel: +49 (0)221 123-456", E::qrNumeric, 1},
        {"alphanumeric, version 1", u"HELLO WORLD", E::qrAuto, 1},
        {"alphanumeric, version 7", Cycle(u"HTTPS://EXAMPLE.COM/$%*+-./: ", 200), E::qrAuto, 7},
        {"alphanumeric, version 27", Cycle(u"ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789", 2100), E::qrAuto, 27},
        {"alphanumeric, longest", Cycle(u"QR CODE 2024 ", 4296), E::qrAuto, 40},
        {"lower case bytes, version 1", u"hello", E::qrAuto, 1},
        {"Latin-1, version 2", Cycle(latin1, 25), E::qrAuto, 2},
        {"Latin-1, version 10", Cycle(latin1, 250), E::qrAuto, 10},
        {"Latin-1, version 27", Cycle(latin1, 1400), E::qrAuto, 27},
        {"Latin-1, longest", Cycle(latin1, 2953), E::qrAuto, 40},
        {"ISO-8859-1 drops what it cannot carry", u"A\u20ACB\u00E9", E::qrISO88591, 1},
        {"UTF-8 with its mark, version 1", u"\u20AC5", E::qrAuto, 1},
        {"UTF-8 with its mark, version 7", Cycle(beyond, 75), E::qrAuto, 7},
        {"UTF-8 with its mark, version 27", Cycle(beyond, 760), E::qrAuto, 27},
        {"UTF-8 with its mark, version 40", Cycle(beyond, 1550), E::qrAuto, 40},
        {"UTF-8 without mark", Cycle(beyond, 12), E::qrUTF8BOM, 2},
        {"empty text: the mark alone", u"", E::qrUTF8NoBOM, 1},
    };
    int index = 0;
    for (const TCase& c : cases) {
        TQRCodeGenerator generator;
        // A different encoding encodes at once, also the (still empty) text.
        generator.SetEncoding(c.Option);
        generator.SetData(c.Text);
        ASSERT_EQ(generator.Rows(), 17 + 4 * c.Version + 8) << c.Name;

        const fs::path image = FDirectory / ("symbol" + std::to_string(index++) + ".pgm");
        WritePgm(generator, image);
        const TCommandResult decoded =
            RunCommand("zbarimg --nodbus --raw -q -Sbinary '" + image.string() + "' 2>/dev/null");
        EXPECT_EQ(decoded.ExitCode, 0) << c.Name << ": not decoded";
        EXPECT_EQ(decoded.Output, ExpectedBytes(c.Text, c.Option)) << c.Name;
    }
}

// Whichever mask the penalty picks, the symbol must read: each of the eight masks is forced once.
TEST_F(ZbarDecode, EveryMaskPatternReadsBack)
{
    const std::u16string text = u"Mask check: Stra\u00DFe 12";
    const int version = 2;
    const TBitArray codewords = CodewordsOf(text, E::qrAuto, version);

    for (int mask = 0; mask < 8; ++mask) {
        TByteMatrix matrix(25, 25);
        TMatrixUtil().BuildMatrix(codewords, TErrorCorrectionLevel(), version, mask, matrix);
        const fs::path image = FDirectory / ("mask" + std::to_string(mask) + ".pgm");
        WritePgm(matrix, image);
        const TCommandResult decoded =
            RunCommand("zbarimg --nodbus --raw -q -Sbinary '" + image.string() + "' 2>/dev/null");
        EXPECT_EQ(decoded.ExitCode, 0) << "mask " << mask << ": not decoded";
        EXPECT_EQ(decoded.Output, ExpectedBytes(text, E::qrAuto)) << "mask " << mask;
    }
}

} // namespace
} // namespace bramolt::qr::test
