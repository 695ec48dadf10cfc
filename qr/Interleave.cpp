// Reed-Solomon blocks and their interleaving into the final codeword stream (ISO/IEC 18004, 7.5, 7.6).
#include "qr/BlockPair.h"
#include "qr/Encoder.h"
#include "qr/ReedSolomonEncoder.h"

#include <algorithm>
#include <vector>

namespace bramolt::qr {

TEncoder::TBlockSize TEncoder::BlockSizes(int numTotalBytes, int numDataBytes, int numRSBlocks,
                                          int blockIndex)
{
    if (numRSBlocks <= 0 || blockIndex < 0 || blockIndex >= numRSBlocks) {
        FEncoderError = true;
        return {};
    }
    const int longBlocks = numTotalBytes % numRSBlocks;
    const int shortBlocks = numRSBlocks - longBlocks;
    const int shortTotal = numTotalBytes / numRSBlocks;
    const int shortData = numDataBytes / numRSBlocks;
    const int ecBytes = shortTotal - shortData;
    // Long blocks carry one data codeword more and the same error correction; the split only
    // works when the data codewords divide the same way as the totals.
    if (shortBlocks * shortTotal + longBlocks * (shortTotal + 1) != numTotalBytes ||
        shortBlocks * shortData + longBlocks * (shortData + 1) != numDataBytes) {
        FEncoderError = true;
        return {};
    }
    return blockIndex < shortBlocks ? TBlockSize{shortData, ecBytes} : TBlockSize{shortData + 1, ecBytes};
}

TByteArray TEncoder::ComputeECBytes(std::span<const std::uint8_t> dataBytes, int ecCount)
{
    TByteArray block(dataBytes.begin(), dataBytes.end());
    block.resize(dataBytes.size() + static_cast<std::size_t>(std::max(ecCount, 0)), 0);
    TReedSolomonEncoder().Encode(block, ecCount);
    return TByteArray(block.begin() + static_cast<std::ptrdiff_t>(dataBytes.size()), block.end());
}

TBitArray TEncoder::InterleaveBlocks(const TBitArray& bits, int numTotalBytes, int numDataBytes,
                                     int numRSBlocks)
{
    TBitArray result;
    if (bits.GetSizeInBytes() != numDataBytes) {
        FEncoderError = true;
        return result;
    }
    std::vector<TBlockPair> blocks;
    blocks.reserve(static_cast<std::size_t>(std::max(numRSBlocks, 0)));
    int dataBytesOffset = 0;
    std::size_t maxDataBytes = 0;
    std::size_t maxECBytes = 0;
    for (int block = 0; block < numRSBlocks; ++block) {
        const TBlockSize size = BlockSizes(numTotalBytes, numDataBytes, numRSBlocks, block);
        if (dataBytesOffset + size.DataBytes > numDataBytes) {
            FEncoderError = true;
            return result;
        }
        TByteArray dataBytes(static_cast<std::size_t>(size.DataBytes));
        bits.ToBytes(8 * dataBytesOffset, dataBytes, 0, size.DataBytes);
        TByteArray ecBytes = ComputeECBytes(dataBytes, size.ECBytes);
        maxDataBytes = std::max(maxDataBytes, dataBytes.size());
        maxECBytes = std::max(maxECBytes, ecBytes.size());
        blocks.emplace_back(std::move(dataBytes), std::move(ecBytes));
        dataBytesOffset += size.DataBytes;
    }
    if (dataBytesOffset != numDataBytes) {
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
    if (result.GetSizeInBytes() != numTotalBytes)
        FEncoderError = true;
    return result;
}

} // namespace bramolt::qr
