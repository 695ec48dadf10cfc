#include "QRTestSupport.h"

#include "qr/QRCode.h"

#include <array>
#include <memory>
#include <vector>

namespace bramolt::qr::test {
namespace {

struct TAppend {
    std::uint32_t Value;
    int NumBits;
};

struct TAppendCase {
    const char* Name;
    std::vector<TAppend> Appends;
    const char* Expected;
};

TEST(BitArray, AppendBitsWritesMostSignificantBitFirst)
{
    const TAppendCase cases[] = {
        {"three bits of 5", {{5, 3}}, "101"},
        {"no bits", {{5, 0}, {7, -1}}, ""},
        {"only the low bits of the value", {{0xFF, 4}}, "1111"},
        {"mode indicator and count", {{4, 4}, {3, 8}}, "0100 00000011"},
        {"across a word boundary",
         {{0, 30}, {0xA5C3, 16}},
         "000000000000000000000000000000 1010010111000011"},
        {"a whole word", {{0x80000001U, 32}}, "10000000000000000000000000000001"},
    };
    for (const TAppendCase& c : cases) {
        TBitArray bits;
        for (const TAppend& append : c.Appends)
            bits.AppendBits(append.Value, append.NumBits);
        EXPECT_EQ(BitString(bits), BitString(BitsOf(c.Expected))) << c.Name;
    }
}

TEST(BitArray, StoresBitIAtValueTwoToTheIInWordIDiv32)
{
    TBitArray bits;
    EXPECT_EQ(bits.Bits().size(), 1U);
    bits.AppendBits(1, 1);  // bit 0
    bits.AppendBits(0, 32); // bits 1..32
    bits.AppendBits(1, 1);  // bit 33
    ASSERT_GE(bits.Bits().size(), 2U);
    EXPECT_EQ(bits.Bits()[0], 1U);
    EXPECT_EQ(bits.Bits()[1], 2U);
    EXPECT_EQ(bits.GetSize(), 34);
    EXPECT_EQ(bits.GetSizeInBytes(), 5);
}

TEST(BitArray, AppendBitArrayKeepsOrderAcrossWords)
{
    const std::string head = "1011001";
    std::string tail;
    for (int i = 0; i < 70; ++i)
        tail += (i * 7 % 3 == 0) ? '1' : '0';
    TBitArray bits = BitsOf(head);
    bits.AppendBitArray(BitsOf(tail));
    EXPECT_EQ(BitString(bits), head + tail);
}

TEST(BitArray, ToBytesPacksFirstBitAsMostSignificant)
{
    struct TCase {
        const char* Bits;
        int BitOffset;
        int NumBytes;
        std::vector<std::uint8_t> Expected;
    };
    const TCase cases[] = {
        {"10100000", 0, 1, {160}},
        {"111 10100000 00000001", 3, 2, {0xA0, 0x01}},
        // 29 bits of padding: the byte straddles the first and second storage words.
        {"00000000000000000000000000000 11001010", 29, 1, {0xCA}},
    };
    for (const TCase& c : cases) {
        const TBitArray bits = BitsOf(c.Bits);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(c.NumBytes) + 2, 0x55);
        bits.ToBytes(c.BitOffset, bytes, 1, c.NumBytes);
        EXPECT_EQ(bytes.front(), 0x55) << c.Bits;
        EXPECT_EQ(bytes.back(), 0x55) << c.Bits;
        EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 1, bytes.end() - 1), c.Expected) << c.Bits;
    }
}

TEST(ByteMatrix, MinusOneIsStoredAs255AndReadBack)
{
    TByteMatrix matrix(3, 2);
    EXPECT_EQ(matrix.Get(2, 1), 0);
    matrix.SetInteger(2, 1, -1);
    EXPECT_EQ(matrix.Get(2, 1), -1);
    EXPECT_EQ(matrix.Row(1)[2], 255);
    matrix.SetBoolean(0, 1, true);
    EXPECT_EQ(matrix.Get(0, 1), 1);
    EXPECT_EQ(matrix.Get(0, 0), 0) << "cells are addressed column first";
    matrix.Clear(255);
    EXPECT_EQ(matrix.Get(0, 0), -1);
}

TEST(QRCode, MaskPatternsAreZeroToSeven)
{
    const std::array<std::pair<int, bool>, 4> cases = {{{0, true}, {7, true}, {-1, false}, {8, false}}};
    for (const auto& [pattern, valid] : cases)
        EXPECT_EQ(TQRCode::IsValidMaskPattern(pattern), valid) << pattern;
}

TEST(QRCode, AtFlagsCellsThatAreNotModules)
{
    TQRCode code;
    auto matrix = std::make_unique<TByteMatrix>(21, 21);
    matrix->SetInteger(3, 4, -1);
    matrix->SetInteger(5, 6, 1);
    code.SetMatrix(std::move(matrix));
    EXPECT_EQ(code.At(5, 6), 1);
    EXPECT_FALSE(code.QRCodeError());
    EXPECT_EQ(code.At(3, 4), -1);
    EXPECT_TRUE(code.QRCodeError());
}

TEST(QRCode, IsValidNeedsEveryFieldAndAConsistentMatrix)
{
    TQRCode code;
    EXPECT_FALSE(code.IsValid());
    code.SetECLevel(TErrorCorrectionLevel());
    code.SetMaskPattern(3);
    code.SetMatrix(std::make_unique<TByteMatrix>(21, 21));
    code.SetAll(1, 26, 19, 1, 7, 21);
    EXPECT_TRUE(code.IsValid());
    code.SetAll(1, 26, 19, 1, 6, 21);
    EXPECT_FALSE(code.IsValid()) << "data + error correction must equal the total";
    code.SetAll(1, 26, 19, 1, 7, 25);
    EXPECT_FALSE(code.IsValid()) << "width must match the matrix";
}

} // namespace
} // namespace bramolt::qr::test
