#include "qr/BitArray.h"

#include <algorithm>
#include <array>
#include <cassert>

namespace bramolt::qr {

namespace {

// Bytes leave and enter the array most significant bit first, while bits sit least significant
// first in the words, so every byte crossing that boundary is mirrored.
constexpr std::array<std::uint8_t, 256> MirroredBytes = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned value = 0; value < 256; ++value) {
        unsigned mirrored = 0;
        for (int bit = 0; bit < 8; ++bit)
            mirrored |= ((value >> bit) & 1U) << (7 - bit);
        table[value] = static_cast<std::uint8_t>(mirrored);
    }
    return table;
}();

std::uint32_t Mirror(std::uint32_t value, int numBits)
{
    std::uint32_t mirrored = 0;
    for (int shift = 0; shift < numBits; shift += 8)
        mirrored = (mirrored << 8) | MirroredBytes[(value >> shift) & 0xFF];
    // The mirrored value spans a whole number of bytes; drop the padding of a partial byte.
    const int padding = ((numBits + 7) / 8) * 8 - numBits;
    return mirrored >> padding;
}

} // namespace

TBitArray::TBitArray() : FBits(1, 0) {}

void TBitArray::EnsureCapacity(int size)
{
    const std::size_t words = (static_cast<std::size_t>(size) + 31) / 32;
    if (words > FBits.size())
        FBits.resize(std::max(words, FBits.size() * 2), 0);
}

void TBitArray::AppendBit(bool bit)
{
    AppendBits(bit ? 1U : 0U, 1);
}

void TBitArray::AppendBits(std::uint32_t value, int numBits)
{
    if (numBits <= 0)
        return;
    assert(numBits <= 32);
    EnsureCapacity(FSize + numBits);
    const std::uint64_t bits = Mirror(numBits < 32 ? value & ((1U << numBits) - 1) : value, numBits);
    const std::size_t word = static_cast<std::size_t>(FSize) >> 5;
    const int shift = FSize & 31;
    const std::uint64_t placed = bits << shift;
    FBits[word] |= static_cast<std::uint32_t>(placed);
    if (shift + numBits > 32)
        FBits[word + 1] |= static_cast<std::uint32_t>(placed >> 32);
    FSize += numBits;
}

void TBitArray::AppendBitArray(const TBitArray& newBitArray)
{
    const int size = newBitArray.FSize;
    for (int i = 0; i + 32 <= size; i += 32)
        AppendBits(Mirror(newBitArray.FBits[static_cast<std::size_t>(i) >> 5], 32), 32);
    for (int i = size & ~31; i < size; ++i)
        AppendBit(newBitArray.Get(i));
}

void TBitArray::ToBytes(int bitOffset, std::span<std::uint8_t> bytes, int offset, int numBytes) const
{
    assert(bitOffset >= 0 && bitOffset + 8 * numBytes <= FSize);
    assert(offset >= 0 && static_cast<std::size_t>(offset + numBytes) <= bytes.size());
    for (int k = 0; k < numBytes; ++k) {
        const int first = bitOffset + 8 * k;
        const std::size_t word = static_cast<std::size_t>(first) >> 5;
        const int shift = first & 31;
        std::uint64_t window = FBits[word] >> shift;
        if (shift > 24)
            window |= static_cast<std::uint64_t>(FBits[word + 1]) << (32 - shift);
        bytes[static_cast<std::size_t>(offset + k)] = MirroredBytes[window & 0xFF];
    }
}

} // namespace bramolt::qr
