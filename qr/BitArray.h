#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace bramolt::qr {

// A growable sequence of bits. Bit i of the sequence is the bit of value 2^(i mod 32) of word
// i / 32, least significant first inside a word; values are appended most significant bit first.
class TBitArray {
  public:
    // Empty, with one word of storage.
    TBitArray();

    int GetSize() const { return FSize; }
    // Bytes needed to hold the bits: (size + 7) / 8.
    int GetSizeInBytes() const { return (FSize + 7) / 8; }
    // Bit i, 0 <= i < GetSize().
    bool Get(int i) const { return (FBits[static_cast<std::size_t>(i) >> 5] >> (i & 31)) & 1U; }
    // The storage words; words past the last bit are 0.
    std::span<const std::uint32_t> Bits() const { return FBits; }

    void AppendBit(bool bit);
    // Appends the low numBits bits of value (0..32), bit numBits - 1 first; numBits <= 0 appends nothing.
    void AppendBits(std::uint32_t value, int numBits);
    void AppendBitArray(const TBitArray& newBitArray);

    // Packs numBytes bytes, each from the 8 bits starting at bitOffset + 8k (the first bit is the
    // most significant), into bytes[offset + k]. The bits and the bytes must exist.
    void ToBytes(int bitOffset, std::span<std::uint8_t> bytes, int offset, int numBytes) const;

  private:
    void EnsureCapacity(int size);

    std::vector<std::uint32_t> FBits;
    int FSize = 0;
};

} // namespace bramolt::qr
