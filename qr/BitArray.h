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
    // Bit I, 0 <= I < GetSize().
    bool Get(int I) const { return (FBits[static_cast<std::size_t>(I) >> 5] >> (I & 31)) & 1U; }
    // The storage words; words past the last bit are 0.
    std::span<const std::uint32_t> Bits() const { return FBits; }

    void AppendBit(bool Bit);
    // Appends the low NumBits bits of Value (0..32), bit NumBits - 1 first; NumBits <= 0 appends nothing.
    void AppendBits(std::uint32_t Value, int NumBits);
    void AppendBitArray(const TBitArray& NewBitArray);

    // Packs NumBytes bytes, each from the 8 bits starting at BitOffset + 8k (the first bit is the
    // most significant), into Bytes[Offset + k]. The bits and the bytes must exist.
    void ToBytes(int BitOffset, std::span<std::uint8_t> Bytes, int Offset, int NumBytes) const;

  private:
    void EnsureCapacity(int Size);

    std::vector<std::uint32_t> FBits;
    int FSize = 0;
};

} // namespace bramolt::qr
