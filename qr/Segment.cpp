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

int TEncoder::AlphanumericValue(char16_t code)
{
    if (IsDigit(code))
        return code - u'0';
    if (code >= u'A' && code <= u'Z')
        return code - u'A' + 10;
    switch (code) {
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

TMode TEncoder::SelectMode(std::u16string_view text, TQRCodeEncoding& encodingOption)
{
    switch (encodingOption) {
    case TQRCodeEncoding::qrNumeric:
        return TMode::qmNumeric;
    case TQRCodeEncoding::qrAlphanumeric:
        return TMode::qmAlphanumeric;
    case TQRCodeEncoding::qrAuto:
        break;
    default:
        return TMode::qmByte;
    }
    if (AllOf(text, IsDigit))
        return TMode::qmNumeric;
    if (AllOf(text, [](char16_t code) { return AlphanumericValue(code) >= 0; }))
        return TMode::qmAlphanumeric;
    // The empty text, like any text beyond Latin-1, goes out as UTF-8 with its mark.
    encodingOption = AllOf(text, IsLatin1) ? TQRCodeEncoding::qrISO88591 : TQRCodeEncoding::qrUTF8NoBOM;
    return TMode::qmByte;
}

std::u16string TEncoder::KeepEncodableChars(std::u16string_view text, TMode mode,
                                            TQRCodeEncoding encodingOption)
{
    std::u16string kept;
    kept.reserve(text.size());
    for (const char16_t code : text) {
        bool keep = true;
        if (mode == TMode::qmNumeric)
            keep = IsDigit(code);
        else if (mode == TMode::qmAlphanumeric)
            keep = AlphanumericValue(code) >= 0;
        else if (mode == TMode::qmByte && encodingOption == TQRCodeEncoding::qrISO88591)
            keep = IsLatin1(code);
        if (keep)
            kept.push_back(code);
    }
    return kept;
}

TByteArray TEncoder::SegmentBytes(std::u16string_view text, TQRCodeEncoding encodingOption)
{
    TByteArray bytes;
    bytes.reserve(text.size() + 3);
    switch (encodingOption) {
    case TQRCodeEncoding::qrISO88591:
        for (const char16_t code : text)
            bytes.push_back(static_cast<std::uint8_t>(code & 0xFF));
        break;
    case TQRCodeEncoding::qrUTF8NoBOM:
        for (const std::uint8_t mark : {0xEF, 0xBB, 0xBF}) // U+FEFF in UTF-8
            bytes.push_back(mark);
        AppendUtf8(text, bytes);
        break;
    case TQRCodeEncoding::qrUTF8BOM:
        AppendUtf8(text, bytes);
        break;
    default:
        break; // not a byte-mode option: no bytes
    }
    return bytes;
}

void TEncoder::WriteSegmentData(std::u16string_view text, TMode mode, TBitArray& bits,
                                TQRCodeEncoding encodingOption)
{
    switch (mode) {
    case TMode::qmNumeric:
        WriteNumeric(text, bits);
        break;
    case TMode::qmAlphanumeric:
        WriteAlphanumeric(text, bits);
        break;
    case TMode::qmByte:
        for (const std::uint8_t byte : SegmentBytes(text, encodingOption))
            bits.AppendBits(byte, 8);
        break;
    default:
        FEncoderError = true;
        break;
    }
}

// Three digits in 10 bits, a final two in 7, a final one in 4.
void TEncoder::WriteNumeric(std::u16string_view text, TBitArray& bits)
{
    if (!std::all_of(text.begin(), text.end(), IsDigit)) {
        FEncoderError = true;
        return;
    }
    std::size_t i = 0;
    for (; i + 3 <= text.size(); i += 3)
        bits.AppendBits(static_cast<std::uint32_t>((text[i] - u'0') * 100 + (text[i + 1] - u'0') * 10 +
                                                   (text[i + 2] - u'0')),
                        10);
    if (text.size() - i == 2)
        bits.AppendBits(static_cast<std::uint32_t>((text[i] - u'0') * 10 + (text[i + 1] - u'0')), 7);
    else if (text.size() - i == 1)
        bits.AppendBits(static_cast<std::uint32_t>(text[i] - u'0'), 4);
}

// Pairs as 45 * first + second in 11 bits, a final single character in 6.
void TEncoder::WriteAlphanumeric(std::u16string_view text, TBitArray& bits)
{
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int first = AlphanumericValue(text[i]);
        if (first < 0) {
            FEncoderError = true;
            return;
        }
        if (i + 1 == text.size()) {
            bits.AppendBits(static_cast<std::uint32_t>(first), 6);
            return;
        }
        const int second = AlphanumericValue(text[i + 1]);
        if (second < 0) {
            FEncoderError = true;
            return;
        }
        bits.AppendBits(static_cast<std::uint32_t>(45 * first + second), 11);
    }
}

} // namespace bramolt::qr
