// The data segment: mode choice, the characters a mode can carry, and their bits
// (ISO/IEC 18004, 7.4.3 to 7.4.5).
#include "qr/Encoder.h"

#include <algorithm>

#include "text/Utf8.h"

namespace bramolt::qr {

namespace {

bool IsDigit(char16_t code)
{
    return code >= u'0' && code <= u'9';
}

bool IsLatin1(char16_t code)
{
    return code <= 0xFF;
}

template <typename Predicate> bool AllOf(std::u16string_view text, Predicate predicate)
{
    if (text.empty())
        return false;
    for (const char16_t code : text)
        if (!predicate(code))
            return false;
    return true;
}

// UTF-8 of a UTF-16 text. An unpaired surrogate has no UTF-8 form and becomes U+FFFD, the
// replacement character, as decoders expect.
void AppendUtf8(std::u16string_view text, TByteArray& bytes)
{
    const std::string utf8 = text::ToUtf8(text);
    bytes.insert(bytes.end(), utf8.begin(), utf8.end());
}

} // namespace

int TEncoder::AlphanumericValue(char16_t Code)
{
    if (IsDigit(Code))
        return Code - u'0';
    if (Code >= u'A' && Code <= u'Z')
        return Code - u'A' + 10;
    switch (Code) {
    case u' ':
        return 36;
    case u'$':
        return 37;
    case u'%':
        return 38;
    case u'*':
        return 39;
    case u'+':
        return 40;
    case u'-':
        return 41;
    case u'.':
        return 42;
    case u'/':
        return 43;
    case u':':
        return 44;
    default:
        return -1;
    }
}

TMode TEncoder::SelectMode(std::u16string_view Text, TQRCodeEncoding& EncodingOption)
{
    switch (EncodingOption) {
    case TQRCodeEncoding::qrNumeric:
        return TMode::qmNumeric;
    case TQRCodeEncoding::qrAlphanumeric:
        return TMode::qmAlphanumeric;
    case TQRCodeEncoding::qrAuto:
        break;
    default:
        return TMode::qmByte;
    }
    if (AllOf(Text, IsDigit))
        return TMode::qmNumeric;
    if (AllOf(Text, [](char16_t code) { return AlphanumericValue(code) >= 0; }))
        return TMode::qmAlphanumeric;
    // The empty text, like any text beyond Latin-1, goes out as UTF-8 with its mark.
    EncodingOption = AllOf(Text, IsLatin1) ? TQRCodeEncoding::qrISO88591 : TQRCodeEncoding::qrUTF8NoBOM;
    return TMode::qmByte;
}

std::u16string TEncoder::KeepEncodableChars(std::u16string_view Text, TMode Mode,
                                            TQRCodeEncoding EncodingOption)
{
    std::u16string kept;
    kept.reserve(Text.size());
    for (const char16_t code : Text) {
        bool keep = true;
        if (Mode == TMode::qmNumeric)
            keep = IsDigit(code);
        else if (Mode == TMode::qmAlphanumeric)
            keep = AlphanumericValue(code) >= 0;
        else if (Mode == TMode::qmByte && EncodingOption == TQRCodeEncoding::qrISO88591)
            keep = IsLatin1(code);
        if (keep)
            kept.push_back(code);
    }
    return kept;
}

TByteArray TEncoder::SegmentBytes(std::u16string_view Text, TQRCodeEncoding EncodingOption)
{
    TByteArray bytes;
    bytes.reserve(Text.size() + 3);
    switch (EncodingOption) {
    case TQRCodeEncoding::qrISO88591:
        for (const char16_t code : Text)
            bytes.push_back(static_cast<std::uint8_t>(code & 0xFF));
        break;
    case TQRCodeEncoding::qrUTF8NoBOM:
        for (const std::uint8_t mark : {0xEF, 0xBB, 0xBF}) // U+FEFF in UTF-8
            bytes.push_back(mark);
        AppendUtf8(Text, bytes);
        break;
    case TQRCodeEncoding::qrUTF8BOM:
        AppendUtf8(Text, bytes);
        break;
    default:
        break; // not a byte-mode option: no bytes
    }
    return bytes;
}

void TEncoder::WriteSegmentData(std::u16string_view Text, TMode Mode, TBitArray& Bits,
                                TQRCodeEncoding EncodingOption)
{
    switch (Mode) {
    case TMode::qmNumeric:
        WriteNumeric(Text, Bits);
        break;
    case TMode::qmAlphanumeric:
        WriteAlphanumeric(Text, Bits);
        break;
    case TMode::qmByte:
        for (const std::uint8_t byte : SegmentBytes(Text, EncodingOption))
            Bits.AppendBits(byte, 8);
        break;
    default:
        FEncoderError = true;
        break;
    }
}

// Three digits in 10 bits, a final two in 7, a final one in 4.
void TEncoder::WriteNumeric(std::u16string_view Text, TBitArray& Bits)
{
    if (!std::all_of(Text.begin(), Text.end(), IsDigit)) {
        FEncoderError = true;
        return;
    }
    std::size_t i = 0;
    for (; i + 3 <= Text.size(); i += 3)
        Bits.AppendBits(static_cast<std::uint32_t>((Text[i] - u'0') * 100 + (Text[i + 1] - u'0') * 10 +
                                                   (Text[i + 2] - u'0')),
                        10);
    if (Text.size() - i == 2)
        Bits.AppendBits(static_cast<std::uint32_t>((Text[i] - u'0') * 10 + (Text[i + 1] - u'0')), 7);
    else if (Text.size() - i == 1)
        Bits.AppendBits(static_cast<std::uint32_t>(Text[i] - u'0'), 4);
}

// Pairs as 45 * first + second in 11 bits, a final single character in 6.
void TEncoder::WriteAlphanumeric(std::u16string_view Text, TBitArray& Bits)
{
    for (std::size_t i = 0; i < Text.size(); i += 2) {
        const int first = AlphanumericValue(Text[i]);
        if (first < 0) {
            FEncoderError = true;
            return;
        }
        if (i + 1 == Text.size()) {
            Bits.AppendBits(static_cast<std::uint32_t>(first), 6);
            return;
        }
        const int second = AlphanumericValue(Text[i + 1]);
        if (second < 0) {
            FEncoderError = true;
            return;
        }
        Bits.AppendBits(static_cast<std::uint32_t>(45 * first + second), 11);
    }
}

} // namespace bramolt::qr
