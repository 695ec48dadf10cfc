#include "QRTestSupport.h"

#include "qr/Encoder.h"
#include "qr/QRErrors.h"
#include "qr/Version.h"

#include <string>
#include <vector>

namespace bramolt::qr::test {
namespace {

using E = TQRCodeEncoding;

const TErrorCorrectionLevel L;

// ---- Mode and segment -------------------------------------------------------------------------

TEST(Encoder, ModeSelection)
{
    struct TCase {
        std::u16string Text;
        E Option;
        TMode Mode;
        E Resolved;
    };
    const TCase cases[] = {
        {u"12345", E::qrAuto, TMode::qmNumeric, E::qrAuto},
        {u"HELLO WORLD", E::qrAuto, TMode::qmAlphanumeric, E::qrAuto},
        {u"A0B", E::qrAuto, TMode::qmAlphanumeric, E::qrAuto},
        {u"hello", E::qrAuto, TMode::qmByte, E::qrISO88591},
        {u"Gr\u00F6\u00DFe", E::qrAuto, TMode::qmByte, E::qrISO88591},
        {u"5 \u20AC", E::qrAuto, TMode::qmByte, E::qrUTF8NoBOM},
        {u"", E::qrAuto, TMode::qmByte, E::qrUTF8NoBOM},
        {u"12a3", E::qrNumeric, TMode::qmNumeric, E::qrNumeric},
        {u"abc", E::qrAlphanumeric, TMode::qmAlphanumeric, E::qrAlphanumeric},
        {u"123", E::qrISO88591, TMode::qmByte, E::qrISO88591},
        {u"123", E::qrUTF8BOM, TMode::qmByte, E::qrUTF8BOM},
    };
    for (const TCase& c : cases) {
        E option = c.Option;
        EXPECT_EQ(TEncoder::SelectMode(c.Text, option), c.Mode) << std::string(c.Text.begin(), c.Text.end());
        EXPECT_EQ(option, c.Resolved) << std::string(c.Text.begin(), c.Text.end());
    }
}

// Mode, count and data bits of a text, as the encoding run writes them.
struct TSegment {
    TMode Mode;
    int Count;
    std::string Bits;
};

TSegment SegmentOf(const std::u16string& text, E option)
{
    TEncoder encoder;
    const TMode mode = TEncoder::SelectMode(text, option);
    const std::u16string kept = TEncoder::KeepEncodableChars(text, mode, option);
    TBitArray bits;
    encoder.WriteSegmentData(kept, mode, bits, option);
    EXPECT_FALSE(encoder.EncoderError());
    const int count = mode == TMode::qmByte ? bits.GetSizeInBytes() : static_cast<int>(kept.size());
    return {mode, count, BitString(bits)};
}

TEST(Encoder, SegmentBits)
{
    struct TCase {
        std::u16string Text;
        E Option;
        int Count;
        const char* Bits;
    };
    const TCase cases[] = {
        {u"12345", E::qrAuto, 5, "0001111011 0101101"},
        {u"8", E::qrAuto, 1, "1000"},
        {u"12a3", E::qrNumeric, 3, "0001111011"},
        {u"HELLO WORLD", E::qrAuto, 11, "01100001011 01111000110 10001011100 10110111000 10011010100 001101"},
        {u"A0B", E::qrAuto, 3, "00111000010 001011"},
        {u"a-B c", E::qrAlphanumeric, 3, "11101000000 100100"},
        {u"hello", E::qrAuto, 5, "01101000 01100101 01101100 01101100 01101111"},
        {u"", E::qrAuto, 3, "11101111 10111011 10111111"},
        {u"x", E::qrNumeric, 0, ""},
    };
    for (const TCase& c : cases) {
        const TSegment segment = SegmentOf(c.Text, c.Option);
        EXPECT_EQ(segment.Count, c.Count) << std::string(c.Text.begin(), c.Text.end());
        EXPECT_EQ(segment.Bits, BitString(BitsOf(c.Bits))) << std::string(c.Text.begin(), c.Text.end());
    }
}

TEST(Encoder, ByteSegments)
{
    struct TCase {
        const char* Name;
        std::u16string Text;
        E Option;
        std::vector<std::uint8_t> Bytes;
    };
    const TCase cases[] = {
        {"Latin-1, one byte per character", u"Gr\u00F6\u00DFe", E::qrAuto, {0x47, 0x72, 0xF6, 0xDF, 0x65}},
        {"UTF-8 with its mark", u"\u20AC", E::qrAuto, {0xEF, 0xBB, 0xBF, 0xE2, 0x82, 0xAC}},
        {"UTF-8 alone", u"\u20AC", E::qrUTF8BOM, {0xE2, 0x82, 0xAC}},
        {"two-byte form", u"A\u00E9", E::qrUTF8BOM, {0x41, 0xC3, 0xA9}},
        {"surrogate pair as one code point", u"\U0001F600", E::qrUTF8BOM, {0xF0, 0x9F, 0x98, 0x80}},
        {"unpaired surrogate becomes U+FFFD",
         std::u16string(1, char16_t{0xD800}),
         E::qrUTF8BOM,
         {0xEF, 0xBF, 0xBD}},
        {"reversed pair: two replacement characters",
         std::u16string{char16_t{0xDE00}, char16_t{0xD83D}},
         E::qrUTF8BOM,
         {0xEF, 0xBF, 0xBD, 0xEF, 0xBF, 0xBD}},
        {"ISO-8859-1 drops what it cannot carry", u"A\u20ACB", E::qrISO88591, {0x41, 0x42}},
    };
    for (const TCase& c : cases) {
        E option = c.Option;
        const TMode mode = TEncoder::SelectMode(c.Text, option);
        const std::u16string kept = TEncoder::KeepEncodableChars(c.Text, mode, option);
        EXPECT_EQ(TEncoder::SegmentBytes(kept, option), c.Bytes) << c.Name;
    }
}

TEST(Encoder, InternalFaultsOnlySetTheFlag)
{
    struct TCase {
        const char* Name;
        void (*Act)(TEncoder&, TBitArray&);
        int BitsWritten;
    };
    const TCase cases[] = {
        {"count too large for its field",
         [](TEncoder& e, TBitArray& b) { e.WriteCharCount(256, 1, TMode::qmByte, b); }, 0},
        {"mode without data encoding",
         [](TEncoder& e, TBitArray& b) { e.WriteSegmentData(u"12", TMode::qmKanji, b, E::qrAuto); }, 0},
        {"character outside the alphanumeric set ends the segment",
         [](TEncoder& e, TBitArray& b) { e.WriteSegmentData(u"AB!C", TMode::qmAlphanumeric, b, E::qrAuto); },
         11},
        {"stream longer than the capacity",
         [](TEncoder& e, TBitArray& b) {
             b.AppendBits(0, 16);
             e.PadToCapacity(1, b);
         },
         16},
        {"block index past the last block",
         [](TEncoder& e, TBitArray&) { static_cast<void>(e.BlockSizes(26, 19, 1, 1)); }, 0},
        {"data codewords that do not split like the totals",
         [](TEncoder& e, TBitArray&) { static_cast<void>(e.BlockSizes(10, 9, 2, 0)); }, 0},
        {"stream of the wrong length for interleaving",
         [](TEncoder& e, TBitArray& b) { b = e.InterleaveBlocks(BitsOf("1010"), 26, 19, 1); }, 0},
    };
    for (const TCase& c : cases) {
        TEncoder encoder;
        TBitArray bits;
        c.Act(encoder, bits);
        EXPECT_TRUE(encoder.EncoderError()) << c.Name;
        EXPECT_EQ(bits.GetSize(), c.BitsWritten) << c.Name;
    }
}

// ---- Pad codewords ---------------------------------------------------------------------------

TEST(Encoder, PadToCapacityOfVersion1)
{
    struct TCase {
        int StreamBits;
        std::string Added; // after the stream
    };
    const TCase cases[] = {
        {101, "0000 0000000 11101100 00010001 11101100 00010001 11101100"},
        {150, "00"},
        {152, ""},
        {148, "0000"},
        {144, "0000 0000"},
    };
    for (const TCase& c : cases) {
        TEncoder encoder;
        TBitArray bits;
        for (int i = 0; i < c.StreamBits; ++i)
            bits.AppendBit(true);
        encoder.PadToCapacity(19, bits);
        EXPECT_FALSE(encoder.EncoderError()) << c.StreamBits;
        EXPECT_EQ(BitString(bits),
                  std::string(static_cast<std::size_t>(c.StreamBits), '1') + BitString(BitsOf(c.Added)))
            << c.StreamBits;
    }
}

// ---- Blocks and interleaving -----------------------------------------------------------------

TEST(Encoder, StreamOfTheDigits01234567AtVersion1)
{
    TEncoder encoder;
    TBitArray stream;
    stream.AppendBits(static_cast<std::uint32_t>(TEncoder::ModeIndicator(TMode::qmNumeric)), 4);
    encoder.WriteCharCount(8, 1, TMode::qmNumeric, stream);
    encoder.WriteSegmentData(u"01234567", TMode::qmNumeric, stream, E::qrAuto);
    encoder.PadToCapacity(19, stream);
    const TBitArray final = encoder.InterleaveBlocks(stream, 26, 19, 1);
    std::vector<std::uint8_t> codewords(26);
    final.ToBytes(0, codewords, 0, 26);
    const std::vector<std::uint8_t> expected = {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11, 0xEC,
                                                0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11,
                                                0xEC, 0x53, 0x55, 0x97, 0x67, 0x10, 0x05, 0x84};
    EXPECT_EQ(codewords, expected);
    EXPECT_FALSE(encoder.EncoderError());
}

TEST(Encoder, InterleavingOfVersion10)
{
    const int total = 346;
    const int data = 274;
    TBitArray stream;
    for (int i = 0; i < data; ++i)
        stream.AppendBits(static_cast<std::uint32_t>(i * 37 % 256), 8);
    TEncoder encoder;
    const TBitArray final = encoder.InterleaveBlocks(stream, total, data, 4);
    ASSERT_FALSE(encoder.EncoderError());
    std::vector<std::uint8_t> codewords(total);
    final.ToBytes(0, codewords, 0, total);

    // Blocks of 68, 68, 69 and 69 data codewords, 18 error-correction codewords each.
    const int starts[4] = {0, 68, 136, 205};
    const int lengths[4] = {68, 68, 69, 69};
    std::vector<int> expectedData;
    for (int i = 0; i < 69; ++i)
        for (int b = 0; b < 4; ++b)
            if (i < lengths[b])
                expectedData.push_back((starts[b] + i) * 37 % 256);
    std::vector<std::vector<std::uint8_t>> ec;
    for (int b = 0; b < 4; ++b) {
        std::vector<std::uint8_t> blockData;
        for (int i = 0; i < lengths[b]; ++i)
            blockData.push_back(static_cast<std::uint8_t>((starts[b] + i) * 37 % 256));
        ec.push_back(TEncoder::ComputeECBytes(blockData, 18));
    }
    std::vector<int> expected = expectedData;
    for (int i = 0; i < 18; ++i)
        for (int b = 0; b < 4; ++b)
            expected.push_back(ec[static_cast<std::size_t>(b)][static_cast<std::size_t>(i)]);
    EXPECT_EQ(std::vector<int>(codewords.begin(), codewords.end()), expected);
    EXPECT_EQ(expected[272], (136 + 68) * 37 % 256) << "D3[68], then D4[68] close the data";
    EXPECT_EQ(expected[273], (205 + 68) * 37 % 256);
}

// ---- Whole runs: version choice and capacity -------------------------------------------------

struct TRun {
    TMode Mode;
    int Version;
};

TRun Encode(const std::u16string& text, E option = E::qrAuto)
{
    TQRCode code;
    TEncoder encoder;
    encoder.EncodeText(text, option, L, code);
    EXPECT_FALSE(encoder.EncoderError());
    EXPECT_NE(code.Matrix(), nullptr);
    EXPECT_EQ(code.Matrix()->Width(), 17 + 4 * code.Version());
    EXPECT_TRUE(TQRCode::IsValidMaskPattern(code.MaskPattern()));
    EXPECT_EQ(code.ECLevel(), L);
    return {code.Mode(), code.Version()};
}

std::u16string Repeat(char16_t c, int count)
{
    return std::u16string(static_cast<std::size_t>(count), c);
}

TEST(Encoder, SmallestVersionThatHoldsTheText)
{
    struct TCase {
        const char* Name;
        std::u16string Text;
        E Option;
        TMode Mode;
        int Version;
    };
    const TCase cases[] = {
        {"empty text: the three mark bytes", u"", E::qrAuto, TMode::qmByte, 1},
        {"41 digits", Repeat(u'7', 41), E::qrAuto, TMode::qmNumeric, 1},
        {"42 digits", Repeat(u'7', 42), E::qrAuto, TMode::qmNumeric, 2},
        {"25 alphanumeric", Repeat(u'Z', 25), E::qrAuto, TMode::qmAlphanumeric, 1},
        {"26 alphanumeric", Repeat(u'Z', 26), E::qrAuto, TMode::qmAlphanumeric, 2},
        {"17 bytes", Repeat(u'z', 17), E::qrAuto, TMode::qmByte, 1},
        {"18 bytes", Repeat(u'z', 18), E::qrAuto, TMode::qmByte, 2},
        {"14 characters and the mark", Repeat(u'z', 14), E::qrUTF8NoBOM, TMode::qmByte, 1},
        {"15 characters and the mark", Repeat(u'z', 15), E::qrUTF8NoBOM, TMode::qmByte, 2},
        // The count field grows from 10 to 12 bits at version 10: these two extra bits push 653
        // digits from version 10 into version 11.
        {"652 digits", Repeat(u'1', 652), E::qrAuto, TMode::qmNumeric, 10},
        {"653 digits", Repeat(u'1', 653), E::qrAuto, TMode::qmNumeric, 11},
        {"7089 digits", Repeat(u'9', 7089), E::qrAuto, TMode::qmNumeric, 40},
        {"4296 alphanumeric", Repeat(u'Q', 4296), E::qrAuto, TMode::qmAlphanumeric, 40},
        {"2953 bytes", Repeat(u'q', 2953), E::qrAuto, TMode::qmByte, 40},
        {"2950 characters and the mark", Repeat(u'q', 2950), E::qrUTF8NoBOM, TMode::qmByte, 40},
        {"dropped characters do not count", Repeat(u'x', 5000) + u"123", E::qrNumeric, TMode::qmNumeric, 1},
    };
    for (const TCase& c : cases) {
        const TRun run = Encode(c.Text, c.Option);
        EXPECT_EQ(run.Mode, c.Mode) << c.Name;
        EXPECT_EQ(run.Version, c.Version) << c.Name;
    }
}

TEST(Encoder, TooLongForVersion40)
{
    struct TCase {
        std::u16string Text;
        E Option;
        const char* Message;
    };
    const TCase cases[] = {
        {Repeat(u'9', 7090), E::qrAuto, "Text too long for a QR code (7090 digits; at most 7089)"},
        {Repeat(u'Q', 4297), E::qrAuto, "Text too long for a QR code (4297 characters; at most 4296)"},
        {Repeat(u'q', 2954), E::qrAuto, "Text too long for a QR code (2954 bytes; at most 2953)"},
        {Repeat(u'q', 2951), E::qrUTF8NoBOM, "Text too long for a QR code (2954 bytes; at most 2953)"},
        {Repeat(u'\u20AC', 1000), E::qrAuto, "Text too long for a QR code (3003 bytes; at most 2953)"},
    };
    for (const TCase& c : cases) {
        TQRCode code;
        ExpectThrowWithMessage<EQRTextTooLong>([&] { TEncoder().EncodeText(c.Text, c.Option, L, code); },
                                               c.Message);
        EXPECT_EQ(code.Matrix(), nullptr) << "nothing is stored";
        EXPECT_EQ(code.Version(), -1);
        EXPECT_FALSE(code.ECLevel().has_value());
    }
}

} // namespace
} // namespace bramolt::qr::test
