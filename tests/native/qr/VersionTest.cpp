#include "QRTestSupport.h"

#include "qr/MatrixUtil.h"
#include "qr/Version.h"

#include <vector>

namespace bramolt::qr::test {
namespace {

const TErrorCorrectionLevel L(1), M(0), Q(3), H(2);

struct TRun {
    int Count;
    int DataCodewords;
};

std::vector<TRun> RunsOf(const TECBlocks& blocks)
{
    std::vector<TRun> runs;
    for (const TECB& run : blocks.GetECBlocks())
        runs.push_back({run.GetCount(), run.GetDataCodewords()});
    return runs;
}

bool operator==(const TRun& a, const TRun& b)
{
    return a.Count == b.Count && a.DataCodewords == b.DataCodewords;
}

TEST(Version, RowsOfTheStandardsTables)
{
    struct TCase {
        int Version;
        TErrorCorrectionLevel Level;
        std::vector<int> Centres;
        int ECPerBlock;
        std::vector<TRun> Runs;
        int Total;
        int DataCodewords;
    };
    const TCase cases[] = {
        {1, L, {}, 7, {{1, 19}}, 26, 19},
        {1, M, {}, 10, {{1, 16}}, 26, 16},
        {1, Q, {}, 13, {{1, 13}}, 26, 13},
        {1, H, {}, 17, {{1, 9}}, 26, 9},
        {5, L, {6, 30}, 26, {{1, 108}}, 134, 108},
        {5, Q, {6, 30}, 18, {{2, 15}, {2, 16}}, 134, 62},
        {7, L, {6, 22, 38}, 20, {{2, 78}}, 196, 156},
        {10, L, {6, 28, 50}, 18, {{2, 68}, {2, 69}}, 346, 274},
        {40, L, {6, 30, 58, 86, 114, 142, 170}, 30, {{19, 118}, {6, 119}}, 3706, 2956},
    };
    for (const TCase& c : cases) {
        const TVersion* version = TVersion::GetVersionForNumber(c.Version);
        ASSERT_NE(version, nullptr);
        const auto centres = version->GetAlignmentPatternCenters();
        EXPECT_EQ(std::vector<int>(centres.begin(), centres.end()), c.Centres) << c.Version;
        const TECBlocks& blocks = version->GetECBlocksForLevel(c.Level);
        EXPECT_EQ(blocks.GetECCodewordsPerBlock(), c.ECPerBlock) << c.Version;
        EXPECT_EQ(RunsOf(blocks), c.Runs) << c.Version;
        EXPECT_EQ(version->GetTotalCodewords(), c.Total) << c.Version;
        EXPECT_EQ(version->GetDataCodewords(c.Level), c.DataCodewords) << c.Version;
        EXPECT_EQ(version->GetDimensionForVersion(), 17 + 4 * c.Version);
    }
}

// Data codewords at level L for versions 1 to 40, from the standard's capacity table.
TEST(Version, DataCodewordsAtLevelL)
{
    const int expected[40] = {19,   34,   55,   80,   108,  136,  156,  194,  232,  274,
                              324,  370,  428,  461,  523,  589,  647,  721,  795,  861,
                              932,  1006, 1094, 1174, 1276, 1370, 1468, 1531, 1631, 1735,
                              1843, 1955, 2071, 2191, 2306, 2434, 2566, 2702, 2812, 2956};
    for (int v = 1; v <= 40; ++v)
        EXPECT_EQ(TVersion::GetVersionForNumber(v)->GetDataCodewords(L), expected[v - 1]) << "version " << v;
}

TEST(Version, BlockStructuresAddUpForEveryVersionAndLevel)
{
    for (int v = 1; v <= 40; ++v)
        for (const TErrorCorrectionLevel level : {L, M, Q, H}) {
            const TECBlocks& blocks = TVersion::GetVersionForNumber(v)->GetECBlocksForLevel(level);
            int total = 0;
            for (const TECB& run : blocks.GetECBlocks())
                total += run.GetCount() * (run.GetDataCodewords() + blocks.GetECCodewordsPerBlock());
            EXPECT_EQ(total, TVersion::GetVersionForNumber(v)->GetTotalCodewords()) << v;
            const auto runs = blocks.GetECBlocks();
            if (runs.size() == 2) {
                EXPECT_EQ(runs[1].GetDataCodewords(), runs[0].GetDataCodewords() + 1) << v;
            }
        }
}

// Alignment centres: first 6, last side - 7, v / 7 + 2 of them, even and evenly spaced after the
// first gap.
TEST(Version, AlignmentCentresFollowTheLayoutRules)
{
    for (int v = 2; v <= 40; ++v) {
        const TVersion& version = *TVersion::GetVersionForNumber(v);
        const auto centres = version.GetAlignmentPatternCenters();
        ASSERT_EQ(static_cast<int>(centres.size()), v / 7 + 2) << v;
        EXPECT_EQ(centres.front(), 6) << v;
        EXPECT_EQ(centres.back(), version.GetDimensionForVersion() - 7) << v;
        for (std::size_t i = 2; i < centres.size(); ++i) {
            EXPECT_EQ(centres[i] - centres[i - 1], centres.back() - centres[centres.size() - 2]) << v;
            EXPECT_EQ(centres[i] % 2, 0) << v;
        }
    }
    EXPECT_TRUE(TVersion::GetVersionForNumber(1)->GetAlignmentPatternCenters().empty());
}

// The matrix builder leaves exactly the codewords of the version (and 0, 3, 4 or 7 remainder bits)
// for data: the function patterns and the codeword table agree.
TEST(Version, DataCellsOfTheMatrixHoldTheTotalCodewords)
{
    for (int v = 1; v <= 40; ++v) {
        const TVersion& version = *TVersion::GetVersionForNumber(v);
        TByteMatrix matrix(version.GetDimensionForVersion(), version.GetDimensionForVersion());
        TMatrixUtil builder;
        builder.BuildFunctionPatterns(L, v, 0, matrix);
        EXPECT_FALSE(builder.MatrixUtilError()) << v;
        int empty = 0;
        for (int y = 0; y < matrix.Height(); ++y)
            for (int x = 0; x < matrix.Width(); ++x)
                empty += matrix.Get(x, y) == -1 ? 1 : 0;
        const int remainderBits = empty - 8 * version.GetTotalCodewords();
        EXPECT_TRUE(remainderBits == 0 || remainderBits == 3 || remainderBits == 4 || remainderBits == 7)
            << "version " << v << ": " << remainderBits << " remainder bits";
    }
}

TEST(Version, LookupAndChoice)
{
    EXPECT_EQ(TVersion::GetVersionForNumber(0), nullptr);
    EXPECT_EQ(TVersion::GetVersionForNumber(41), nullptr);
    struct TCase {
        int Bits;
        int Version; // 0: none
    };
    const TCase cases[] = {{0, 1}, {152, 1}, {153, 2}, {8 * 2956, 40}, {8 * 2956 + 1, 0}};
    for (const TCase& c : cases) {
        const TVersion* chosen = TVersion::ChooseVersion(c.Bits, L);
        EXPECT_EQ(chosen ? chosen->GetVersionNumber() : 0, c.Version) << c.Bits << " bits";
    }
}

} // namespace
} // namespace bramolt::qr::test
