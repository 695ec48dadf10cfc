#include "QRTestSupport.h"

#include "qr/Encoder.h"
#include "qr/MatrixUtil.h"
#include "qr/SymbolTrials.h"
#include "qr/Version.h"

#include <climits>
#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace bramolt::qr::test {
namespace {

// ---- The four rules written cell by cell, straight from their definition ---------------------

int ReferenceRuns(const TByteMatrix& m, bool horizontal)
{
    int penalty = 0;
    int previous = -1;
    for (int i = 0; i < m.Height(); ++i) {
        int count = 0;
        for (int j = 0; j < m.Width(); ++j) {
            const int cell = horizontal ? m.Get(j, i) : m.Get(i, j);
            if (cell == previous) {
                ++count;
                if (count == 5)
                    penalty += 3;
                else if (count > 5)
                    penalty += 1;
            } else {
                count = 1;
                previous = cell;
            }
        }
    }
    return penalty;
}

int ReferenceBlocks(const TByteMatrix& m)
{
    int penalty = 0;
    for (int y = 0; y + 1 < m.Height(); ++y)
        for (int x = 0; x + 1 < m.Width(); ++x) {
            const int c = m.Get(x, y);
            if (c == m.Get(x + 1, y) && c == m.Get(x, y + 1) && c == m.Get(x + 1, y + 1))
                penalty += 3;
        }
    return penalty;
}

int ReferenceFinderLike(const TByteMatrix& m)
{
    const int pattern[7] = {1, 0, 1, 1, 1, 0, 1};
    const auto matches = [&](int x, int y, int dx, int dy, int length) {
        const int at = dx ? x : y;
        if (at + 6 >= length)
            return false;
        for (int k = 0; k < 7; ++k)
            if (m.Get(x + k * dx, y + k * dy) != pattern[k])
                return false;
        const auto light = [&](int from, int to) {
            for (int k = from; k <= to; ++k)
                if (m.Get(x + k * dx, y + k * dy) != 0)
                    return false;
            return true;
        };
        return (at + 10 < length && light(7, 10)) || (at - 4 >= 0 && light(-4, -1));
    };
    int penalty = 0;
    for (int y = 0; y < m.Height(); ++y)
        for (int x = 0; x < m.Width(); ++x) {
            penalty += matches(x, y, 1, 0, m.Width()) ? 40 : 0;
            penalty += matches(x, y, 0, 1, m.Height()) ? 40 : 0;
        }
    return penalty;
}

int ReferenceBalance(const TByteMatrix& m)
{
    int dark = 0;
    for (int y = 0; y < m.Height(); ++y)
        for (int x = 0; x < m.Width(); ++x)
            dark += m.Get(x, y) == 1 ? 1 : 0;
    const double ratio = static_cast<double>(dark) / (m.Width() * m.Height());
    return static_cast<int>(std::nearbyint(std::fabs(ratio * 100 - 50) / 50)); // halves to even
}

int ReferencePenalty(const TByteMatrix& m)
{
    return ReferenceRuns(m, true) + ReferenceRuns(m, false) + ReferenceBlocks(m) + ReferenceFinderLike(m) +
           ReferenceBalance(m);
}

// ---- Helpers --------------------------------------------------------------------------------

// A side x side matrix from rows of '0' / '1'; missing cells are light.
TByteMatrix MatrixOf(int side, const std::vector<std::string>& rows)
{
    TByteMatrix matrix(side, side);
    for (std::size_t y = 0; y < rows.size(); ++y)
        for (std::size_t x = 0; x < rows[y].size(); ++x)
            matrix.SetInteger(static_cast<int>(x), static_cast<int>(y), rows[y][x] == '1' ? 1 : 0);
    return matrix;
}

TByteMatrix RandomMatrix(int side, unsigned seed, int darkPercent)
{
    std::mt19937 random(seed);
    TByteMatrix matrix(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            matrix.SetInteger(x, y, static_cast<int>(random() % 100) < darkPercent ? 1 : 0);
    return matrix;
}

// ---- Tests -----------------------------------------------------------------------------------

// Random matrices of every line width the word-parallel rules handle differently (1, 2 and 3
// words, and sides at the word boundaries), dense and sparse, score as the definitions say.
TEST(MaskPenalty, RulesMatchTheirCellByCellDefinition)
{
    for (const int side : {5, 11, 21, 63, 64, 65, 101, 127, 128, 129, 177})
        for (const int darkPercent : {3, 50, 97})
            for (unsigned seed = 1; seed <= 3; ++seed) {
                const TByteMatrix matrix =
                    RandomMatrix(side, seed * 1000 + static_cast<unsigned>(side), darkPercent);
                const TModulePlanes planes = TModulePlanes::FromMatrix(matrix);
                const std::string where =
                    "side " + std::to_string(side) + ", " + std::to_string(darkPercent) + "% dark";
                EXPECT_EQ(TEncoder::PenaltyRuns(planes),
                          ReferenceRuns(matrix, true) + ReferenceRuns(matrix, false))
                    << where;
                EXPECT_EQ(TEncoder::PenaltyBlocks(planes), ReferenceBlocks(matrix)) << where;
                EXPECT_EQ(TEncoder::PenaltyFinderLike(planes), ReferenceFinderLike(matrix)) << where;
                EXPECT_EQ(TEncoder::PenaltyBalance(planes), ReferenceBalance(matrix)) << where;
            }
}

TEST(MaskPenalty, BalanceThresholds)
{
    struct TCase {
        int Dark;
        int Expected;
    };
    // 21 x 21 = 441 cells: 25% lies between 110 and 111, 75% between 330 and 331.
    const TCase cases[] = {{0, 1}, {110, 1}, {111, 0}, {220, 0}, {330, 0}, {331, 1}, {441, 1}};
    for (const TCase& c : cases) {
        TModulePlanes planes(21);
        for (int i = 0; i < c.Dark; ++i)
            planes.Set(i % 21, i / 21, true);
        EXPECT_EQ(TEncoder::PenaltyBalance(planes), c.Expected) << c.Dark << " dark";
    }
}

// Rows after the first are a checkerboard, so only the first row's runs score.
TModulePlanes FirstRowOnCheckerboard(const std::string& firstRow)
{
    const int side = static_cast<int>(firstRow.size());
    TModulePlanes planes(side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            planes.Set(x, y, y == 0 ? firstRow[static_cast<std::size_t>(x)] == '1' : (x + y) % 2 == 0);
    return planes;
}

TEST(MaskPenalty, RunsScoreThreePlusOnePerModuleBeyondFive)
{
    struct TCase {
        const char* Name;
        const char* FirstRow;
        int Expected;
    };
    const TCase cases[] = {
        {"four equal modules", "1010000101", 0},
        {"five", "1010000010", 3},
        {"six light at the end of the row; the next row starts afresh", "010101000000", 4},
        {"two runs", "11111010000000", 3 + 5},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(TEncoder::PenaltyRuns(FirstRowOnCheckerboard(c.FirstRow)), c.Expected) << c.Name;
}

// A single dark or patterned line in an otherwise light symbol: the finder-like rule scores that
// line alone (no other line can hold three dark modules in a row).
TEST(MaskPenalty, FinderLikePatternNeedsFourLightModulesInsideTheSymbol)
{
    struct TCase {
        const char* Name;
        const char* Line;
        int Expected;
    };
    const TCase cases[] = {
        {"at the left edge, four light after", "10111010000", 40},
        {"at the left edge, a dark module after: the quiet zone does not count", "101110110000", 0},
        {"four light before, at the right edge", "00001011101", 40},
        {"light on both sides counts once", "000010111010000", 40},
        {"three light before and after only", "00010111010001", 0},
        {"two patterns sharing the light modules", "1011101000010111010000", 80},
    };
    for (const TCase& c : cases) {
        const std::string line = c.Line;
        const int side = static_cast<int>(line.size());
        TModulePlanes row(side);
        TModulePlanes column(side);
        for (int i = 0; i < side; ++i) {
            row.Set(i, 0, line[static_cast<std::size_t>(i)] == '1');
            column.Set(side - 1, i, line[static_cast<std::size_t>(i)] == '1');
        }
        EXPECT_EQ(TEncoder::PenaltyFinderLike(row), c.Expected) << c.Name << " (row)";
        EXPECT_EQ(TEncoder::PenaltyFinderLike(column), c.Expected) << c.Name << " (column)";
    }
}

TEST(MaskPenalty, BlocksOverlap)
{
    // A 3 x 3 dark square holds four 2 x 2 blocks; the light rest of a 5 x 5 symbol holds the others.
    const TByteMatrix matrix = MatrixOf(5, {"11100", "11100", "11100"});
    EXPECT_EQ(TEncoder::PenaltyBlocks(TModulePlanes::FromMatrix(matrix)), ReferenceBlocks(matrix));
    EXPECT_EQ(ReferenceBlocks(MatrixOf(3, {"111", "111", "111"})), 12);
    EXPECT_EQ(TEncoder::PenaltyBlocks(TModulePlanes::FromMatrix(MatrixOf(3, {"111", "111", "111"}))), 12);
}

// The chosen mask is the first of the lowest penalties over the eight complete symbols, each
// built by the matrix builder and scored cell by cell.
TEST(MaskPenalty, ChoiceMatchesBuildingAndScoringEverySymbol)
{
    const TErrorCorrectionLevel level;
    std::mt19937 random(7);
    for (const int v : {1, 2, 3, 5, 7, 10, 13, 20, 26, 32, 40}) {
        TBitArray bits;
        for (int i = 0; i < 8 * TVersion::GetVersionForNumber(v)->GetTotalCodewords(); ++i)
            bits.AppendBit(random() % 2 == 1);
        int expected = -1;
        int lowest = INT_MAX;
        for (int mask = 0; mask < 8; ++mask) {
            TByteMatrix matrix(17 + 4 * v, 17 + 4 * v);
            TMatrixUtil().BuildMatrix(bits, level, v, mask, matrix);
            const int penalty = ReferencePenalty(matrix);
            if (penalty < lowest) {
                lowest = penalty;
                expected = mask;
            }
        }
        TSymbolTrials trials(bits, level, v);
        EXPECT_EQ(TEncoder::SelectMaskPattern(trials), expected) << "version " << v;
    }
}

// A whole encoding run gives the symbol that the step-by-step path describes: the codewords,
// the first mask of lowest cell-by-cell penalty, and the matrix built with it.
TEST(MaskPenalty, EncodedSymbolIsTheDescribedOne)
{
    struct TCase {
        std::u16string Text;
        TQRCodeEncoding Option;
    };
    const TCase cases[] = {
        {u"01234567", TQRCodeEncoding::qrAuto},
        {u"HELLO WORLD", TQRCodeEncoding::qrAuto},
        {u"", TQRCodeEncoding::qrAuto},
        {std::u16string(300, u'\u00E9'), TQRCodeEncoding::qrAuto},
        {std::u16string(500, u'\u20AC'), TQRCodeEncoding::qrAuto},
        {std::u16string(2000, u'7'), TQRCodeEncoding::qrAuto},
        {u"Stra\u00DFe", TQRCodeEncoding::qrUTF8BOM},
    };
    const TErrorCorrectionLevel level;
    for (const TCase& c : cases) {
        TQRCode code;
        TEncoder().EncodeText(c.Text, c.Option, level, code);
        const int v = code.Version();
        const TBitArray codewords = CodewordsOf(c.Text, c.Option, v);
        int expectedMask = -1;
        int lowest = INT_MAX;
        for (int mask = 0; mask < 8; ++mask) {
            TByteMatrix matrix(17 + 4 * v, 17 + 4 * v);
            TMatrixUtil().BuildMatrix(codewords, level, v, mask, matrix);
            if (const int penalty = ReferencePenalty(matrix); penalty < lowest) {
                lowest = penalty;
                expectedMask = mask;
            }
        }
        EXPECT_EQ(code.MaskPattern(), expectedMask) << "version " << v;
        TByteMatrix expected(17 + 4 * v, 17 + 4 * v);
        TMatrixUtil().BuildMatrix(codewords, level, v, expectedMask, expected);
        ASSERT_NE(code.Matrix(), nullptr);
        int differences = 0;
        for (int y = 0; y < expected.Height(); ++y)
            for (int x = 0; x < expected.Width(); ++x)
                differences += code.Matrix()->Get(x, y) != expected.Get(x, y) ? 1 : 0;
        EXPECT_EQ(differences, 0) << "version " << v;
    }
}

} // namespace
} // namespace bramolt::qr::test
