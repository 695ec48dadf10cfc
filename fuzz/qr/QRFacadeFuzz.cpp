// Fuzz target of the QR generator facade. Input: byte 0 chooses the encoding option (mod 6),
// byte 1 the margin (0..127, values above 100 must be ignored), the rest is UTF-16LE text (a
// trailing odd byte is dropped). Checks: no crash; a text too long for version 40 raises
// EQRTextTooLong and nothing else; otherwise the symbol has 17 + 4 * version modules per side
// (version 1..40) plus the margin on both sides, with light margins and dark finder corners.
#include "fuzz/Require.h"
#include "qr/QRCodeGenerator.h"
#include "qr/QRErrors.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using namespace bramolt::qr;
using bramolt::fuzz::Require;

void CheckSymbol(const TQRCodeGenerator& generator)
{
    const int margin = generator.QuietZone();
    const int side = generator.Rows() - 2 * margin;
    Require(generator.Rows() == generator.Columns(), "the symbol is not square");
    Require(side >= 21 && side <= 177 && (side - 17) % 4 == 0, "the side is no version's");
    for (int i = -1; i <= generator.Rows(); ++i)
        for (const int edge : {-1, margin - 1, generator.Rows() - margin, generator.Rows()}) {
            Require(!generator.IsBlack(i, edge), "a dark module in the margin");
            Require(!generator.IsBlack(edge, i), "a dark module in the margin");
        }
    // Outer corners of the three finder patterns, and the dark module.
    Require(generator.IsBlack(margin, margin), "a light finder corner");
    Require(generator.IsBlack(margin, margin + side - 1), "a light finder corner");
    Require(generator.IsBlack(margin + side - 1, margin), "a light finder corner");
    Require(generator.IsBlack(margin + side - 8, margin + 8), "no dark module");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const auto encoding = static_cast<TQRCodeEncoding>(data[0] % 6);
    const int margin = data[1] & 0x7F;
    std::u16string text;
    for (std::size_t i = 2; i + 1 < size; i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));

    TQRCodeGenerator generator;
    generator.SetQuietZone(margin);
    Require(generator.QuietZone() == (margin <= 100 ? margin : 4), "a margin above 100 was taken");
    try {
        generator.SetEncoding(encoding);
        generator.SetData(text);
    } catch (const EQRTextTooLong& error) {
        Require(error.Amount() > error.Limit(), "a text within the limit was refused");
        Require(error.Limit() == 7089 || error.Limit() == 4296 || error.Limit() == 2953,
                "a limit of no mode");
        Require(generator.Data() == text, "a refused text was not kept");
        return 0;
    }
    if (generator.Rows() != 0)
        CheckSymbol(generator);
    else
        Require(text.empty() && encoding == TQRCodeEncoding::qrAuto, "no symbol for a text");
    return 0;
}
