#pragma once

// Small helpers shared by the QR encoder tests.

#include "qr/BitArray.h"
#include "qr/ByteMatrix.h"
#include "qr/Encoder.h"
#include "qr/Version.h"

#include "ExpectThrow.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace bramolt::qr::test {

using bramolt::test::ExpectThrowWithMessage;

// The bits as a string of '0' and '1', first bit first.
inline std::string BitString(const TBitArray& bits)
{
    std::string text;
    for (int i = 0; i < bits.GetSize(); ++i)
        text += bits.Get(i) ? '1' : '0';
    return text;
}

// A bit array from a string of '0' and '1' (other characters, e.g. spaces, are skipped).
inline TBitArray BitsOf(std::string_view text)
{
    TBitArray bits;
    for (const char c : text)
        if (c == '0' || c == '1')
            bits.AppendBit(c == '1');
    return bits;
}

// A UTF-16 text of the ASCII characters of `text`.
inline std::u16string Ascii(std::string_view text)
{
    return std::u16string(text.begin(), text.end());
}

// The final codeword stream of `text` in a symbol of `version` at level L, assembled step by step
// from the encoder's parts: segment, count, padding, blocks and interleaving.
inline TBitArray CodewordsOf(const std::u16string& text, TQRCodeEncoding option, int version)
{
    TEncoder encoder;
    const TErrorCorrectionLevel level;
    const TMode mode = TEncoder::SelectMode(text, option);
    const std::u16string kept = TEncoder::KeepEncodableChars(text, mode, option);
    TBitArray data;
    encoder.WriteSegmentData(kept, mode, data, option);
    TBitArray stream;
    stream.AppendBits(static_cast<std::uint32_t>(TEncoder::ModeIndicator(mode)), 4);
    encoder.WriteCharCount(mode == TMode::qmByte ? data.GetSizeInBytes() : static_cast<int>(kept.size()),
                           version, mode, stream);
    stream.AppendBitArray(data);
    const TVersion& descriptor = *TVersion::GetVersionForNumber(version);
    const int dataCodewords = descriptor.GetDataCodewords(level);
    encoder.PadToCapacity(dataCodewords, stream);
    const TBitArray codewords =
        encoder.InterleaveBlocks(stream, descriptor.GetTotalCodewords(), dataCodewords,
                                 descriptor.GetECBlocksForLevel(level).GetNumBlocks());
    EXPECT_FALSE(encoder.EncoderError());
    return codewords;
}

} // namespace bramolt::qr::test
