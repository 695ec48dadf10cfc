// The encoding run: segment, version choice, codeword stream, error correction, mask and matrix.
#include "qr/Encoder.h"

#include "qr/QRErrors.h"
#include "qr/Version.h"

#include <memory>

namespace bramolt::qr {

namespace {

struct TModeBits {
    int Indicator;
    int CountWidths[3]; // versions 1-9, 10-26, 27-40
};

// Mode indicators and character count widths of ISO/IEC 18004 (Tables 2 and 3), in TMode order.
constexpr TModeBits ModeTable[] = {
    {0x0, {0, 0, 0}},    // qmTerminator
    {0x1, {10, 12, 14}}, // qmNumeric
    {0x2, {9, 11, 13}},  // qmAlphanumeric
    {0x3, {0, 0, 0}},    // qmStructuredAppend
    {0x4, {8, 16, 16}},  // qmByte
    {0x7, {0, 0, 0}},    // qmECI
    {0x8, {8, 10, 12}},  // qmKanji
    {0x5, {0, 0, 0}},    // qmFNC1FirstPosition
    {0x9, {0, 0, 0}},    // qmFNC1SecondPosition
    {0xD, {8, 10, 12}},  // qmHanzi
};

const TModeBits& BitsOf(TMode mode)
{
    return ModeTable[static_cast<std::size_t>(mode)];
}

// The longest segment of Mode that version 40 holds at ECLevel, in characters (digits,
// alphanumeric characters or bytes).
int LargestSegment(TMode mode, const TErrorCorrectionLevel& ecLevel)
{
    const TVersion& largest = *TVersion::GetVersionForNumber(TVersion::MaxVersion);
    const int dataBits =
        8 * largest.GetDataCodewords(ecLevel) - 4 - TEncoder::CharCountWidth(mode, TVersion::MaxVersion);
    switch (mode) {
    case TMode::qmNumeric:
        return 3 * (dataBits / 10) + (dataBits % 10 >= 7 ? 2 : dataBits % 10 >= 4 ? 1 : 0);
    case TMode::qmAlphanumeric:
        return 2 * (dataBits / 11) + (dataBits % 11 >= 6 ? 1 : 0);
    default:
        return dataBits / 8;
    }
}

const char* UnitOf(TMode mode)
{
    switch (mode) {
    case TMode::qmNumeric:
        return "digits";
    case TMode::qmAlphanumeric:
        return "characters";
    default:
        return "bytes";
    }
}

} // namespace

int TEncoder::ModeIndicator(TMode mode)
{
    return BitsOf(mode).Indicator;
}

int TEncoder::CharCountWidth(TMode mode, int versionNumber)
{
    const int range = versionNumber <= 9 ? 0 : versionNumber <= 26 ? 1 : 2;
    return BitsOf(mode).CountWidths[range];
}

void TEncoder::EncodeText(std::u16string_view text, TQRCodeEncoding encodingOption,
                          const TErrorCorrectionLevel& ecLevel, TQRCode& qrCode)
{
    const TMode mode = SelectMode(text, encodingOption);
    const std::u16string filtered = KeepEncodableChars(text, mode, encodingOption);
    TBitArray dataBits;
    WriteSegmentData(filtered, mode, dataBits, encodingOption);
    TBitArray headerBits;
    headerBits.AppendBits(static_cast<std::uint32_t>(ModeIndicator(mode)), 4);

    // The count field's width depends on the version, and the version on the stream's length: size
    // the field as for version 1, choose, then size it again for that choice and choose once more.
    const int segmentBits = headerBits.GetSize() + dataBits.GetSize();
    const TVersion* provisional = TVersion::ChooseVersion(CharCountWidth(mode, 1) + segmentBits, ecLevel);
    const TVersion* version =
        provisional ? TVersion::ChooseVersion(
                          CharCountWidth(mode, provisional->GetVersionNumber()) + segmentBits, ecLevel)
                    : nullptr;
    const int count = mode == TMode::qmByte ? dataBits.GetSizeInBytes() : static_cast<int>(filtered.size());
    if (!version)
        throw EQRTextTooLong(count, LargestSegment(mode, ecLevel), UnitOf(mode));

    TBitArray stream;
    stream.AppendBitArray(headerBits);
    WriteCharCount(count, version->GetVersionNumber(), mode, stream);
    stream.AppendBitArray(dataBits);
    const TECBlocks& blocks = version->GetECBlocksForLevel(ecLevel);
    const int numDataBytes = version->GetTotalCodewords() - blocks.GetTotalECCodewords();
    PadToCapacity(numDataBytes, stream);
    const TBitArray finalBits =
        InterleaveBlocks(stream, version->GetTotalCodewords(), numDataBytes, blocks.GetNumBlocks());

    qrCode.SetECLevel(ecLevel);
    qrCode.SetMode(mode);
    qrCode.SetVersion(version->GetVersionNumber());
    TSymbolTrials trials(finalBits, ecLevel, version->GetVersionNumber());
    qrCode.SetMaskPattern(SelectMaskPattern(trials));
    qrCode.SetMatrix(std::make_unique<TByteMatrix>(trials.Compose(qrCode.MaskPattern()).ToMatrix()));
}

void TEncoder::WriteCharCount(int count, int versionNum, TMode mode, TBitArray& bits)
{
    const int width = CharCountWidth(mode, versionNum);
    if (count < 0 || count > (1 << width) - 1) {
        FEncoderError = true;
        return;
    }
    bits.AppendBits(static_cast<std::uint32_t>(count), width);
}

void TEncoder::PadToCapacity(int numDataBytes, TBitArray& bits)
{
    const int capacity = 8 * numDataBytes;
    if (bits.GetSize() > capacity) {
        FEncoderError = true;
        return;
    }
    for (int i = 0; i < 4 && bits.GetSize() < capacity; ++i)
        bits.AppendBit(false);
    if (const int partial = bits.GetSize() % 8; partial != 0)
        bits.AppendBits(0, 8 - partial);
    for (bool first = true; bits.GetSizeInBytes() < numDataBytes; first = !first)
        bits.AppendBits(first ? 0xEC : 0x11, 8);
    if (bits.GetSize() != capacity)
        FEncoderError = true;
}

} // namespace bramolt::qr
