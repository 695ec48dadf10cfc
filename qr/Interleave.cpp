// Reed-Solomon blocks and their interleaving into the final codeword stream (ISO/IEC 18004, 7.5, 7.6).
#include "qr/BlockPair.h"
#include "qr/Encoder.h"
#include "qr/ReedSolomonEncoder.h"

#include <algorithm>
#include <vector>

namespace bramolt::qr {

TEncoder::TBlockSize TEncoder::BlockSizes(int NumTotalBytes, int NumDataBytes, int NumRSBlocks,
                                          int BlockIndex)
{
    if (NumRSBlocks <= 0 || BlockIndex < 0 || BlockIndex >= NumRSBlocks) {
        FEncoderError = true;
        return {};
    }
    const int longBlocks = NumTotalBytes % NumRSBlocks;
    const int shortBlocks = NumRSBlocks - longBlocks;
    const int shortTotal = NumTotalBytes / NumRSBlocks;
    const int shortData = NumDataBytes / NumRSBlocks;
    const int ecBytes = shortTotal - shortData;
    // Long blocks carry one data codeword more and the same error correction; the split only
    // works when the data codewords divide the same way as the totals.
    if (shortBlocks * shortTotal + longBlocks * (shortTotal + 1) != NumTotalBytes ||
        shortBlocks * shortData + longBlocks * (shortData + 1) != NumDataBytes) {
        FEncoderError = true;
        return {};
    }
    return BlockIndex < shortBlocks ? TBlockSize{shortData, ecBytes} : TBlockSize{shortData + 1, ecBytes};
}

TByteArray TEncoder::ComputeECBytes(std::span<const std::uint8_t> DataBytes, int ECCount)
{
    TByteArray block(DataBytes.begin(), DataBytes.end());
    block.resize(DataBytes.size() + static_cast<std::size_t>(std::max(ECCount, 0)), 0);
    TReedSolomonEncoder().Encode(block, ECCount);
    return TByteArray(block.begin() + static_cast<std::ptrdiff_t>(DataBytes.size()), block.end());
}

TBitArray TEncoder::InterleaveBlocks(const TBitArray& Bits, int NumTotalBytes, int NumDataBytes,
                                     int NumRSBlocks)
{
    TBitArray result;
    if (Bits.GetSizeInBytes() != NumDataBytes) {
        FEncoderError = true;
        return result;
    }
    std::vector<TBlockPair> blocks;
    blocks.reserve(static_cast<std::size_t>(std::max(NumRSBlocks, 0)));
    int dataBytesOffset = 0;
    std::size_t maxDataBytes = 0;
    std::size_t maxECBytes = 0;
    for (int block = 0; block < NumRSBlocks; ++block) {
        const TBlockSize size = BlockSizes(NumTotalBytes, NumDataBytes, NumRSBlocks, block);
        if (dataBytesOffset + size.DataBytes > NumDataBytes) {
            FEncoderError = true;
            return result;
        }
        TByteArray dataBytes(static_cast<std::size_t>(size.DataBytes));
        Bits.ToBytes(8 * dataBytesOffset, dataBytes, 0, size.DataBytes);
        TByteArray ecBytes = ComputeECBytes(dataBytes, size.ECBytes);
        maxDataBytes = std::max(maxDataBytes, dataBytes.size());
        maxECBytes = std::max(maxECBytes, ecBytes.size());
        blocks.emplace_back(std::move(dataBytes), std::move(ecBytes));
        dataBytesOffset += size.DataBytes;
    }
    if (dataBytesOffset != NumDataBytes) {
        FEncoderError = true;
        return result;
    }
    for (std::size_t i = 0; i < maxDataBytes; ++i)
        for (const TBlockPair& block : blocks)
            if (i < block.GetDataBytes().size())
                result.AppendBits(block.GetDataBytes()[i], 8);
    for (std::size_t i = 0; i < maxECBytes; ++i)
        for (const TBlockPair& block : blocks)
            if (i < block.GetErrorCorrectionBytes().size())
                result.AppendBits(block.GetErrorCorrectionBytes()[i], 8);
    if (result.GetSizeInBytes() != NumTotalBytes)
        FEncoderError = true;
    return result;
}

} // namespace bramolt::qr
