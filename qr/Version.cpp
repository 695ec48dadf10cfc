#include "qr/Version.h"

namespace bramolt::qr {

namespace {

constexpr int VersionCount = TVersion::MaxVersion;

// Alignment pattern centres of ISO/IEC 18004, Annex E (row/column coordinates, -1 = none).
constexpr int AlignmentCentreTable[VersionCount][7] = {
    {-1, -1, -1, -1, -1, -1, -1},   {6, 18, -1, -1, -1, -1, -1},    {6, 22, -1, -1, -1, -1, -1},
    {6, 26, -1, -1, -1, -1, -1},    {6, 30, -1, -1, -1, -1, -1},    {6, 34, -1, -1, -1, -1, -1},
    {6, 22, 38, -1, -1, -1, -1},    {6, 24, 42, -1, -1, -1, -1},    {6, 26, 46, -1, -1, -1, -1},
    {6, 28, 50, -1, -1, -1, -1},    {6, 30, 54, -1, -1, -1, -1},    {6, 32, 58, -1, -1, -1, -1},
    {6, 34, 62, -1, -1, -1, -1},    {6, 26, 46, 66, -1, -1, -1},    {6, 26, 48, 70, -1, -1, -1},
    {6, 26, 50, 74, -1, -1, -1},    {6, 30, 54, 78, -1, -1, -1},    {6, 30, 56, 82, -1, -1, -1},
    {6, 30, 58, 86, -1, -1, -1},    {6, 34, 62, 90, -1, -1, -1},    {6, 28, 50, 72, 94, -1, -1},
    {6, 26, 50, 74, 98, -1, -1},    {6, 30, 54, 78, 102, -1, -1},   {6, 28, 54, 80, 106, -1, -1},
    {6, 32, 58, 84, 110, -1, -1},   {6, 30, 58, 86, 114, -1, -1},   {6, 34, 62, 90, 118, -1, -1},
    {6, 26, 50, 74, 98, 122, -1},   {6, 30, 54, 78, 102, 126, -1},  {6, 26, 52, 78, 104, 130, -1},
    {6, 30, 56, 82, 108, 134, -1},  {6, 34, 60, 86, 112, 138, -1},  {6, 30, 58, 86, 114, 142, -1},
    {6, 34, 62, 90, 118, 146, -1},  {6, 30, 54, 78, 102, 126, 150}, {6, 24, 50, 76, 102, 128, 154},
    {6, 28, 54, 80, 106, 132, 158}, {6, 32, 58, 84, 110, 136, 162}, {6, 26, 54, 82, 110, 138, 166},
    {6, 30, 58, 86, 114, 142, 170},
};

// Error correction characteristics of ISO/IEC 18004 (levels L, M, Q, H; versions 1..40):
// error-correction codewords per block and number of blocks. How the blocks split into a
// shorter and a longer run follows from the symbol's codeword count (below).
constexpr int ECCodewordsPerBlock[4][VersionCount] = {
    {7,  10, 15, 20, 26, 18, 20, 24, 30, 18, 20, 24, 26, 30, 22, 24, 28, 30, 28, 28,
     28, 28, 30, 30, 26, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {10, 16, 26, 18, 24, 16, 18, 22, 22, 26, 30, 22, 22, 24, 24, 28, 28, 26, 26, 26,
     26, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28, 28},
    {13, 22, 18, 26, 18, 24, 18, 22, 20, 24, 28, 26, 24, 20, 30, 24, 28, 28, 26, 30,
     28, 30, 30, 30, 30, 28, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
    {17, 28, 22, 16, 22, 28, 26, 26, 24, 28, 24, 28, 22, 24, 24, 30, 28, 28, 26, 28,
     30, 24, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30, 30},
};
constexpr int ECBlockCount[4][VersionCount] = {
    {1, 1, 1, 1,  1,  2,  2,  2,  2,  4,  4,  4,  4,  4,  6,  6,  6,  6,  7,  8,
     8, 9, 9, 10, 12, 12, 12, 13, 14, 15, 16, 17, 18, 19, 19, 20, 21, 22, 24, 25},
    {1,  1,  1,  2,  2,  4,  4,  4,  5,  5,  5,  8,  9,  9,  10, 10, 11, 13, 14, 16,
     17, 17, 18, 20, 21, 23, 25, 26, 28, 29, 31, 33, 35, 37, 38, 40, 43, 45, 47, 49},
    {1,  1,  2,  2,  4,  4,  6,  6,  8,  8,  8,  10, 12, 16, 12, 17, 16, 18, 21, 20,
     23, 23, 25, 27, 29, 34, 34, 35, 38, 40, 43, 45, 48, 51, 53, 56, 59, 62, 65, 68},
    {1,  1,  2,  4,  4,  4,  5,  6,  8,  8,  11, 11, 16, 16, 18, 16, 19, 21, 25, 25,
     25, 34, 30, 32, 35, 37, 40, 42, 45, 48, 51, 54, 57, 60, 63, 66, 70, 74, 77, 81},
};

// Codewords of a symbol: the modules left for data once the function patterns are placed, in
// whole bytes (the 0, 3, 4 or 7 leftover modules are remainder bits).
constexpr int TotalCodewords(int version)
{
    const int side = 17 + 4 * version;
    int modules = side * side;
    modules -= 3 * 8 * 8;          // finder patterns with their separators
    modules -= 2 * 15 + 1;         // two copies of the format information, the dark module
    modules -= 2 * (side - 2 * 8); // timing patterns between the separators
    if (version >= 2) {
        const int perSide = version / 7 + 2;
        modules -= 25 * (perSide * perSide - 3); // alignment patterns, three fall on finders
        modules += 2 * 5 * (perSide - 2);        // their overlap with the timing patterns
    }
    if (version >= 7)
        modules -= 2 * 18; // two copies of the version information
    return modules / 8;
}

constexpr TECBlocks MakeECBlocks(int version, int level)
{
    const int total = TotalCodewords(version);
    const int ecPerBlock = ECCodewordsPerBlock[level][version - 1];
    const int blocks = ECBlockCount[level][version - 1];
    const int longBlocks = total % blocks;
    const int shortDataCodewords = total / blocks - ecPerBlock;
    if (longBlocks == 0)
        return TECBlocks(ecPerBlock, TECB(blocks, shortDataCodewords));
    return TECBlocks(ecPerBlock, TECB(blocks - longBlocks, shortDataCodewords),
                     TECB(longBlocks, shortDataCodewords + 1));
}

constexpr std::array<TVersion, VersionCount> Versions = [] {
    std::array<TVersion, VersionCount> versions{};
    for (int version = 1; version <= VersionCount; ++version) {
        const int* centres = AlignmentCentreTable[version - 1];
        std::size_t count = 0;
        while (count < 7 && centres[count] >= 0)
            ++count;
        versions[static_cast<std::size_t>(version - 1)] =
            TVersion(version, std::span<const int>(centres, count),
                     {MakeECBlocks(version, 0), MakeECBlocks(version, 1), MakeECBlocks(version, 2),
                      MakeECBlocks(version, 3)});
    }
    return versions;
}();

static_assert(Versions[0].GetTotalCodewords() == 26 && Versions[39].GetTotalCodewords() == 3706);

} // namespace

const TVersion* TVersion::GetVersionForNumber(int versionNum)
{
    if (versionNum < MinVersion || versionNum > MaxVersion)
        return nullptr;
    return &Versions[static_cast<std::size_t>(versionNum - 1)];
}

const TVersion* TVersion::ChooseVersion(int numInputBits, const TErrorCorrectionLevel& ecLevel)
{
    const int numBytes = (numInputBits + 7) / 8;
    for (const TVersion& version : Versions)
        if (version.GetDataCodewords(ecLevel) >= numBytes)
            return &version;
    return nullptr;
}

} // namespace bramolt::qr
