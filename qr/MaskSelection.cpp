// Mask choice: every mask pattern is scored with four penalty rules and the lowest score wins
// (ISO/IEC 18004, 7.8.3, with this encoder's weights). The rules work on whole rows and columns
// held as bits, 64 modules per step.
#include "qr/Encoder.h"

#include <climits>
#include <type_traits>

namespace bramolt::qr {

namespace {

// Score of one line for runs of at least five equal modules: 3 + (length - 5) per run.
template <typename Line> int RunScore(const Line& line, int length)
{
    const Line same = ~(line ^ line.Following(1)) & Line::FirstModules(length - 1);
    // five: modules i .. i + 4 are equal; a run of L modules has L - 4 such starts, the first of
    // them without a predecessor, so L - 4 + 2 = 3 + (L - 5).
    const Line five = same & same.Following(1) & same.Following(2) & same.Following(3);
    if (!five.Any())
        return 0;
    const Line runStarts = five & ~five.Preceding(1);
    return five.Count() + 2 * runStarts.Count();
}

// 2 x 2 blocks of equal modules with their top left corner on line `upper`.
template <typename Line> int BlockCount(const Line& upper, const Line& lower, int length)
{
    const Line equal = ~(upper ^ lower) & ~(upper ^ upper.Following(1)) & ~(lower ^ lower.Following(1)) &
                       Line::FirstModules(length - 1);
    return equal.Count();
}

// Positions of 1 0 1 1 1 0 1 with four light modules of the symbol right before or after it.
// Shifted-in positions read as neither dark nor light, so the quiet zone never counts as light.
template <typename Line> int FinderLikeCount(const Line& dark, int length)
{
    const Line light = ~dark & Line::FirstModules(length);
    const Line pattern = dark & light.Following(1) & dark.Following(2) & dark.Following(3) &
                         dark.Following(4) & light.Following(5) & dark.Following(6);
    if (!pattern.Any())
        return 0;
    const Line lightAfter =
        light.Following(7) & light.Following(8) & light.Following(9) & light.Following(10);
    const Line lightBefore =
        light.Preceding(1) & light.Preceding(2) & light.Preceding(3) & light.Preceding(4);
    return (pattern & (lightAfter | lightBefore)).Count();
}

// Calls rule with the lines of Matrix cut to the fewest words that hold its side: the rules then
// spend no work on the empty words of small symbols.
template <typename Rule> int WithLineWidth(const TModulePlanes& matrix, Rule rule)
{
    const auto lines = [&matrix](auto words) {
        constexpr int Words = decltype(words)::value;
        return [&matrix](bool row, int i) {
            return (row ? matrix.Row(i) : matrix.Column(i)).template Prefix<Words>();
        };
    };
    if (matrix.Side() <= 64)
        return rule(lines(std::integral_constant<int, 1>{}));
    if (matrix.Side() <= 128)
        return rule(lines(std::integral_constant<int, 2>{}));
    return rule(lines(std::integral_constant<int, 3>{}));
}

} // namespace

int TEncoder::PenaltyRuns(const TModulePlanes& matrix)
{
    const int side = matrix.Side();
    return WithLineWidth(matrix, [side](auto line) {
        int penalty = 0;
        for (int i = 0; i < side; ++i)
            penalty += RunScore(line(true, i), side) + RunScore(line(false, i), side);
        return penalty;
    });
}

int TEncoder::PenaltyBlocks(const TModulePlanes& matrix)
{
    const int side = matrix.Side();
    return 3 * WithLineWidth(matrix, [side](auto line) {
               int blocks = 0;
               for (int y = 0; y + 1 < side; ++y)
                   blocks += BlockCount(line(true, y), line(true, y + 1), side);
               return blocks;
           });
}

int TEncoder::PenaltyFinderLike(const TModulePlanes& matrix)
{
    const int side = matrix.Side();
    return 40 * WithLineWidth(matrix, [side](auto line) {
               int patterns = 0;
               for (int i = 0; i < side; ++i)
                   patterns += FinderLikeCount(line(true, i), side) + FinderLikeCount(line(false, i), side);
               return patterns;
           });
}

int TEncoder::PenaltyBalance(const TModulePlanes& matrix)
{
    int dark = 0;
    for (int y = 0; y < matrix.Side(); ++y)
        dark += matrix.Row(y).Count();
    // round(|100 * dark / cells - 50| / 50) with halves to even is 1 exactly outside 25%..75%; at
    // exactly 25% or 75% the half rounds to 0. Integers keep the choice independent of the
    // floating-point rounding mode of the host process.
    const int cells = matrix.Side() * matrix.Side();
    return 4 * dark < cells || 4 * dark > 3 * cells ? 1 : 0;
}

int TEncoder::MaskPenalty(const TModulePlanes& matrix)
{
    return PenaltyRuns(matrix) + PenaltyBlocks(matrix) + PenaltyFinderLike(matrix) + PenaltyBalance(matrix);
}

int TEncoder::SelectMaskPattern(TSymbolTrials& trials)
{
    int best = -1;
    int lowest = INT_MAX;
    for (int maskPattern = 0; maskPattern < 8; ++maskPattern) {
        const int penalty = MaskPenalty(trials.Compose(maskPattern));
        if (penalty < lowest) {
            lowest = penalty;
            best = maskPattern;
        }
    }
    return best;
}

} // namespace bramolt::qr
