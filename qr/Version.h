#pragma once

#include "qr/QRTypes.h"

#include <array>
#include <span>

namespace bramolt::qr {

// A run of equal Reed-Solomon blocks.
class TECB {
  public:
    constexpr TECB() = default;
    constexpr TECB(int count, int dataCodewords) : FCount(count), FDataCodewords(dataCodewords) {}

    constexpr int GetCount() const { return FCount; }
    constexpr int GetDataCodewords() const { return FDataCodewords; }

  private:
    int FCount = 0;
    int FDataCodewords = 0;
};

// The block structure of one version at one level: one or two runs of blocks, the shorter
// blocks first, all with the same number of error-correction codewords.
class TECBlocks {
  public:
    constexpr TECBlocks() = default;
    constexpr TECBlocks(int ecCodewordsPerBlock, TECB ecBlocks1)
        : FECCodewordsPerBlock(ecCodewordsPerBlock), FECBlocks{ecBlocks1, TECB()}, FRunCount(1)
    {
    }
    constexpr TECBlocks(int ecCodewordsPerBlock, TECB ecBlocks1, TECB ecBlocks2)
        : FECCodewordsPerBlock(ecCodewordsPerBlock), FECBlocks{ecBlocks1, ecBlocks2}, FRunCount(2)
    {
    }

    constexpr std::span<const TECB> GetECBlocks() const
    {
        return std::span<const TECB>(FECBlocks.data(), static_cast<std::size_t>(FRunCount));
    }
    constexpr int GetECCodewordsPerBlock() const { return FECCodewordsPerBlock; }
    constexpr int GetNumBlocks() const
    {
        int blocks = 0;
        for (const TECB& run : GetECBlocks())
            blocks += run.GetCount();
        return blocks;
    }
    constexpr int GetTotalECCodewords() const { return GetNumBlocks() * FECCodewordsPerBlock; }

  private:
    int FECCodewordsPerBlock = 0;
    std::array<TECB, 2> FECBlocks{};
    int FRunCount = 0;
};

// One version of model 2 QR code symbols (1..40) with its capacities per level, as tabled by
// ISO/IEC 18004. Descriptors are constants: the functions below hand out pointers into one
// table that lives as long as the program.
class TVersion {
  public:
    static constexpr int MinVersion = 1;
    static constexpr int MaxVersion = 40;

    // The descriptor of versionNum, or null outside 1..40.
    static const TVersion* GetVersionForNumber(int versionNum);
    // The smallest version whose data capacity at ecLevel holds numInputBits bits (rounded up to
    // whole codewords), or null when even version 40 is too small.
    static const TVersion* ChooseVersion(int numInputBits, const TErrorCorrectionLevel& ecLevel);

    constexpr int GetVersionNumber() const { return FVersionNumber; }
    // Row and column coordinates of alignment pattern centres in increasing order; empty for version 1.
    constexpr std::span<const int> GetAlignmentPatternCenters() const
    {
        return std::span<const int>(FAlignmentPatternCenters.data(),
                                    static_cast<std::size_t>(FAlignmentCount));
    }
    // Modules per side: 17 + 4 * version, 21..177.
    constexpr int GetDimensionForVersion() const { return 17 + 4 * FVersionNumber; }
    constexpr const TECBlocks& GetECBlocksForLevel(const TErrorCorrectionLevel& ecLevel) const
    {
        return FECBlocks[static_cast<std::size_t>(ecLevel.Ordinal())];
    }
    // Data and error-correction codewords of the whole symbol, 26..3706.
    constexpr int GetTotalCodewords() const { return FTotalCodewords; }
    // Data codewords at ecLevel: the total less the error-correction codewords.
    constexpr int GetDataCodewords(const TErrorCorrectionLevel& ecLevel) const
    {
        return FTotalCodewords - GetECBlocksForLevel(ecLevel).GetTotalECCodewords();
    }

    constexpr TVersion() = default;
    constexpr TVersion(int versionNumber, std::span<const int> alignmentPatternCenters,
                       const std::array<TECBlocks, 4>& ecBlocks)
        : FVersionNumber(versionNumber), FAlignmentCount(static_cast<int>(alignmentPatternCenters.size())),
          FECBlocks(ecBlocks)
    {
        for (std::size_t i = 0; i < alignmentPatternCenters.size(); ++i)
            FAlignmentPatternCenters[i] = alignmentPatternCenters[i];
        for (const TECB& run : ecBlocks[0].GetECBlocks())
            FTotalCodewords +=
                run.GetCount() * (run.GetDataCodewords() + ecBlocks[0].GetECCodewordsPerBlock());
    }

  private:
    int FVersionNumber = 0;
    std::array<int, 7> FAlignmentPatternCenters{};
    int FAlignmentCount = 0;
    std::array<TECBlocks, 4> FECBlocks{}; // levels L, M, Q, H
    int FTotalCodewords = 0;
};

} // namespace bramolt::qr
