#include "QRTestSupport.h"

#include "qr/MaskUtil.h"
#include "qr/MatrixUtil.h"
#include "qr/SymbolTrials.h"
#include "qr/Version.h"

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace bramolt::qr::test {
namespace {

const TErrorCorrectionLevel L;

int Side(int version)
{
    return 17 + 4 * version;
}

TByteMatrix FunctionPatterns(int version, int mask = 0)
{
    TByteMatrix matrix(Side(version), Side(version));
    TMatrixUtil builder;
    builder.BuildFunctionPatterns(L, version, mask, matrix);
    EXPECT_FALSE(builder.MatrixUtilError());
    return matrix;
}

TBitArray RandomBits(int count, unsigned seed)
{
    std::mt19937 random(seed);
    TBitArray bits;
    for (int i = 0; i < count; ++i)
        bits.AppendBit(random() % 2 == 1);
    return bits;
}

TEST(MatrixUtil, FormatInformationOfLevelL)
{
    // ISO/IEC 18004 Annex C, level L, mask patterns 0..7 (after the XOR with 101010000010010).
    const char* expected[8] = {"111011111000100", "111001011110011", "111110110101010", "111100010011101",
                               "110011000101111", "110001100011000", "110110001000001", "110100101110110"};
    for (int mask = 0; mask < 8; ++mask)
        EXPECT_EQ(TMatrixUtil::MakeFormatInfoBits(L, mask), std::stoi(expected[mask], nullptr, 2)) << mask;
    EXPECT_EQ(TMatrixUtil::MakeFormatInfoBits(L, 8), -1);
    EXPECT_EQ(TMatrixUtil::MakeFormatInfoBits(L, -1), -1);
}

TEST(MatrixUtil, VersionInformation)
{
    struct TCase {
        int Version;
        const char* Bits;
    };
    const TCase cases[] = {
        {7, "000111110010010100"},
        {8, "001000010110111100"},
        {40, "101000110001101001"},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TMatrixUtil::MakeVersionInfoBits(c.Version), std::stoi(c.Bits, nullptr, 2)) << c.Version;
}

TEST(MatrixUtil, FormatBitsGoWhereTheStandardPutsThem)
{
    const TByteMatrix matrix = FunctionPatterns(1, 0); // format 111011111000100
    const int w = Side(1);
    struct TCase {
        int X, Y, Value;
    };
    const TCase cases[] = {
        {8, 0, 0},                                                            // bit 0, first copy
        {w - 1, 8, 0},                                                        // bit 0, second copy
        {8, 1, 0},     {8, 2, 1}, {8, 7, 1}, {8, 8, 1}, {7, 8, 1}, {0, 8, 1}, // bit 14
        {8, w - 1, 1},                                                        // bit 14, second copy
        {w - 8, 8, 1},                                                        // bit 7
        {8, w - 7, 1},                                                        // bit 8
    };
    for (const TCase& c : cases)
        EXPECT_EQ(matrix.Get(c.X, c.Y), c.Value) << "(" << c.X << ", " << c.Y << ")";
}

TEST(MatrixUtil, VersionBitsOfVersion7)
{
    const TByteMatrix matrix = FunctionPatterns(7);
    const int bits = TMatrixUtil::MakeVersionInfoBits(7);
    for (int n = 0; n < 18; ++n) {
        // Least significant bit first, three bits per step along the short side of the block.
        EXPECT_EQ(matrix.Get(n / 3, 34 + n % 3), (bits >> n) & 1) << n;
        EXPECT_EQ(matrix.Get(34 + n % 3, n / 3), (bits >> n) & 1) << n;
    }
}

TEST(MatrixUtil, TimingPatternsOfVersion1)
{
    const TByteMatrix matrix = FunctionPatterns(1);
    for (int i = 8; i <= 12; ++i) {
        EXPECT_EQ(matrix.Get(i, 6), (i + 1) % 2) << i;
        EXPECT_EQ(matrix.Get(6, i), (i + 1) % 2) << i;
    }
}

TEST(MatrixUtil, AlignmentPatternsOfVersion7)
{
    const TByteMatrix matrix = FunctionPatterns(7);
    const TCell placed[] = {{22, 6}, {6, 22}, {22, 22}, {38, 22}, {22, 38}, {38, 38}};
    for (const TCell& centre : placed)
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const int ring = std::max(std::abs(dx), std::abs(dy));
                EXPECT_EQ(matrix.Get(centre.X + dx, centre.Y + dy), ring == 1 ? 0 : 1)
                    << "centre (" << centre.X << ", " << centre.Y << ") offset " << dx << ", " << dy;
            }
    // Centres on finder patterns are skipped: the finder's dark outer ring stays where an
    // alignment pattern would have its light ring.
    EXPECT_EQ(matrix.Get(5, 6), 1) << "(6, 6) stays a finder";
    EXPECT_EQ(matrix.Get(39, 6), 1) << "(38, 6) stays a finder";
    EXPECT_EQ(matrix.Get(6, 39), 1) << "(6, 38) stays a finder";
}

TEST(MatrixUtil, DarkModuleInEveryVersion)
{
    for (int v = 1; v <= 40; ++v)
        EXPECT_EQ(FunctionPatterns(v).Get(8, Side(v) - 8), 1) << v;
}

TEST(MatrixUtil, PlacementFaultsAreFlagged)
{
    const int codewords = TVersion::GetVersionForNumber(2)->GetTotalCodewords();
    struct TCase {
        const char* Name;
        int Bits;
        int Mask;
        bool Error;
    };
    const TCase cases[] = {
        {"exact stream", 8 * codewords, 3, false},
        {"short stream, rest filled with 0", 8 * codewords - 40, 3, false},
        {"bits left over", 8 * codewords + 8, 3, true},
        {"no format information for mask 8", 8 * codewords, 8, true},
    };
    for (const TCase& c : cases) {
        TByteMatrix matrix(Side(2), Side(2));
        TMatrixUtil builder;
        builder.BuildMatrix(RandomBits(c.Bits, 1), L, 2, c.Mask, matrix);
        EXPECT_EQ(builder.MatrixUtilError(), c.Error) << c.Name;
    }
    TByteMatrix wrongSide(22, 22);
    EXPECT_THROW(TMatrixUtil().BuildMatrix(RandomBits(8, 1), L, 1, 0, wrongSide), std::invalid_argument);
}

// The first data bit goes to the bottom right corner, the second to its left, then upwards.
TEST(MatrixUtil, DataZigzagStartsBottomRight)
{
    TByteMatrix matrix(21, 21);
    TMatrixUtil builder;
    builder.BuildMatrix(BitsOf("1 0 0 1 1"), L, 1, -1, matrix);
    EXPECT_EQ(matrix.Get(20, 20), 1);
    EXPECT_EQ(matrix.Get(19, 20), 0);
    EXPECT_EQ(matrix.Get(20, 19), 0);
    EXPECT_EQ(matrix.Get(19, 19), 1);
    EXPECT_EQ(matrix.Get(20, 18), 1);
    EXPECT_EQ(matrix.Get(19, 18), 0) << "past the bits";
}

TEST(MaskUtil, LineTablesAgreeWithTheMaskConditions)
{
    for (int mask = 0; mask < 8; ++mask)
        for (int i = 0; i < MaxSymbolSide; ++i)
            for (int j = 0; j < MaxSymbolSide; ++j) {
                ASSERT_EQ(TMaskUtil::RowMask(mask, i).Get(j), TMaskUtil::GetDataMaskBit(mask, j, i));
                ASSERT_EQ(TMaskUtil::ColumnMask(mask, i).Get(j), TMaskUtil::GetDataMaskBit(mask, i, j));
            }
    EXPECT_TRUE(TMaskUtil::GetDataMaskBit(9, 1, 1)) << "an unknown pattern inverts everything";
}

// The eight trial symbols composed from bit planes are exactly the symbols the builder makes.
TEST(SymbolTrials, EqualTheBuiltMatrixForEveryMask)
{
    for (const int v : {1, 2, 6, 7, 14, 15, 16, 27, 33, 40}) {
        const TBitArray bits = RandomBits(8 * TVersion::GetVersionForNumber(v)->GetTotalCodewords(), v);
        TSymbolTrials trials(bits, L, v);
        for (int mask = 0; mask < 8; ++mask) {
            TByteMatrix built(Side(v), Side(v));
            TMatrixUtil().BuildMatrix(bits, L, v, mask, built);
            const TModulePlanes& trial = trials.Compose(mask);
            int differences = 0;
            for (int y = 0; y < Side(v); ++y)
                for (int x = 0; x < Side(v); ++x)
                    differences += (trial.Get(x, y) ? 1 : 0) != built.Get(x, y) ? 1 : 0;
            EXPECT_EQ(differences, 0) << "version " << v << " mask " << mask;
            for (int i = 0; i < Side(v); ++i)
                for (int j = 0; j < Side(v); ++j)
                    ASSERT_EQ(trial.Column(i).Get(j), trial.Get(i, j)) << "columns match rows";
        }
    }
}

} // namespace
} // namespace bramolt::qr::test
