#include "QRTestSupport.h"

#include "qr/Encoder.h"
#include "qr/GenericGF.h"
#include "qr/GenericGFPoly.h"
#include "qr/ReedSolomonEncoder.h"

#include <algorithm>
#include <random>
#include <vector>

namespace bramolt::qr::test {
namespace {

const TGenericGF& Field()
{
    return TGenericGF::QRCodeField256();
}

TEST(GenericGF, FieldOfTheStandard)
{
    EXPECT_EQ(Field().Exp(0), 1);
    EXPECT_EQ(Field().Exp(8), 29);
    EXPECT_EQ(Field().Exp(255), 1);
    EXPECT_EQ(Field().Multiply(0, 77), 0);
    EXPECT_EQ(Field().Multiply(77, 0), 0);
    EXPECT_EQ(Field().Inverse(0), 0);
    for (int a = 1; a < 256; ++a) {
        EXPECT_EQ(Field().Exp(Field().Log(a)), a);
        EXPECT_EQ(Field().Multiply(a, Field().Inverse(a)), 1) << a;
    }
}

TEST(GenericGFPoly, ImpossibleRequestsGiveNothing)
{
    const TGenericGF otherField(0x13, 16, 0);
    const TGenericGFPoly p(Field(), {1, 2, 3});
    const TGenericGFPoly q(otherField, {1, 2});
    EXPECT_FALSE(p.Divide(TGenericGFPoly::Zero(Field())));
    EXPECT_FALSE(p.Divide(q));
    EXPECT_FALSE(p.AddOrSubtract(q));
    EXPECT_FALSE(p.Multiply(q));
    EXPECT_FALSE(p.MultiplyByMonomial(-1, 1));
    EXPECT_FALSE(TGenericGFPoly::BuildMonomial(Field(), -1, 1));
}

TEST(GenericGFPoly, LeadingZerosAreDropped)
{
    EXPECT_EQ(TGenericGFPoly(Field(), {0, 0, 5, 0}).GetCoefficients(), (std::vector<int>{5, 0}));
    EXPECT_TRUE(TGenericGFPoly(Field(), {0, 0, 0}).IsZero());
    EXPECT_EQ(TGenericGFPoly(Field(), {0, 0, 0}).GetDegree(), 0);
}

TEST(GenericGFPoly, DivisionRecombinesToTheDividend)
{
    const TGenericGFPoly dividend(Field(), {7, 0, 200, 13, 99, 1});
    const TGenericGFPoly divisor(Field(), {3, 17, 5});
    const auto division = dividend.Divide(divisor);
    ASSERT_TRUE(division);
    EXPECT_LT(division->Remainder.GetDegree(), divisor.GetDegree());
    const auto back = division->Quotient.Multiply(divisor)->AddOrSubtract(division->Remainder);
    EXPECT_EQ(back->GetCoefficients(), dividend.GetCoefficients());
}

TEST(ReedSolomonEncoder, GeneratorPolynomialsOfTheStandard)
{
    struct TCase {
        int Degree;
        std::vector<int> Exponents; // of alpha, from x^Degree down to x^0
    };
    const TCase cases[] = {
        {7, {0, 87, 229, 146, 149, 238, 102, 21}},
        {10, {0, 251, 67, 46, 61, 118, 70, 64, 94, 32, 45}},
    };
    const TReedSolomonEncoder encoder;
    for (const TCase& c : cases) {
        std::vector<int> exponents;
        for (const int coefficient : encoder.BuildGenerator(c.Degree).GetCoefficients())
            exponents.push_back(Field().Log(coefficient));
        EXPECT_EQ(exponents, c.Exponents) << "degree " << c.Degree;
    }
}

TEST(ReedSolomonEncoder, ErrorCorrectionCodewordsOfKnownBlocks)
{
    struct TCase {
        const char* Name;
        std::vector<std::uint8_t> Data;
        std::vector<std::uint8_t> Expected;
    };
    const TCase cases[] = {
        {"version 1-M block of the standard",
         {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11},
         {0xA5, 0x24, 0xD4, 0xC1, 0xED, 0x36, 0xC7, 0x87, 0x2C, 0x55}},
        {"01234567 at version 1-L",
         {0x10, 0x20, 0x0C, 0x56, 0x61, 0x80, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11, 0xEC, 0x11,
          0xEC, 0x11, 0xEC},
         {0x53, 0x55, 0x97, 0x67, 0x10, 0x05, 0x84}},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TEncoder::ComputeECBytes(c.Data, static_cast<int>(c.Expected.size())), c.Expected)
            << c.Name;
}

// The shift-register encoder must give the remainder of the long division that defines the code,
// also for blocks that begin with zero bytes (zeros stripped from the polynomial, not the block).
TEST(ReedSolomonEncoder, MatchesPolynomialDivision)
{
    std::mt19937 random(20240601);
    const TReedSolomonEncoder encoder;
    for (const int ecBytes : {7, 10, 18, 22, 30, 68}) {
        for (const int dataBytes : {1, 15, 118, 150}) {
            if (dataBytes + ecBytes > 255)
                continue;
            std::vector<std::uint8_t> block(static_cast<std::size_t>(dataBytes + ecBytes), 0);
            std::vector<int> coefficients;
            for (int i = 0; i < dataBytes; ++i) {
                const int value = i < 3 ? 0 : static_cast<int>(random() % 256);
                block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
                coefficients.push_back(value);
            }
            encoder.Encode(block, ecBytes);
            const auto info = TGenericGFPoly(Field(), coefficients).MultiplyByMonomial(ecBytes, 1);
            const auto remainder = info->Divide(encoder.BuildGenerator(ecBytes))->Remainder.GetCoefficients();
            std::vector<int> expected(static_cast<std::size_t>(ecBytes), 0);
            std::copy(remainder.begin(), remainder.end(),
                      expected.end() - static_cast<std::ptrdiff_t>(remainder.size()));
            const std::vector<int> actual(block.begin() + dataBytes, block.end());
            EXPECT_EQ(actual, expected) << dataBytes << " data, " << ecBytes << " ec";
        }
    }
}

TEST(ReedSolomonEncoder, DegenerateBlocks)
{
    const TReedSolomonEncoder encoder;
    std::vector<std::uint8_t> block = {1, 2, 3};
    encoder.Encode(block, 0);
    EXPECT_EQ(block, (std::vector<std::uint8_t>{1, 2, 3})) << "no error correction asked";
    encoder.Encode(block, 3);
    EXPECT_EQ(block, (std::vector<std::uint8_t>{1, 2, 3})) << "no data";
    std::vector<std::uint8_t> tooLong(256, 1);
    EXPECT_THROW(encoder.Encode(tooLong, 10), std::length_error);
    EXPECT_THROW(static_cast<void>(encoder.BuildGenerator(255)), std::out_of_range);
}

} // namespace
} // namespace bramolt::qr::test
