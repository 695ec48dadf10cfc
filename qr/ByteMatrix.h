#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace bramolt::qr {

// A rectangular matrix of modules, X the column and Y the row, both from 0 at the top left.
// Cells read -1 (stored as the byte 255: not assigned yet), 0 (light) or 1 (dark).
class TByteMatrix {
  public:
    // A matrix of height rows of width cells, all 0.
    TByteMatrix(int width, int height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    // The cell at column x, row y; the stored byte 255 reads as -1.
    int Get(int x, int y) const
    {
        const std::uint8_t cell = FBytes[Index(x, y)];
        return cell == 255 ? -1 : cell;
    }
    void SetBoolean(int x, int y, bool value) { FBytes[Index(x, y)] = value ? 1 : 0; }
    // Stores the low eight bits of value, so -1 is stored as 255.
    void SetInteger(int x, int y, int value)
    {
        FBytes[Index(x, y)] = static_cast<std::uint8_t>(value & 0xFF);
    }
    void Clear(std::uint8_t value);

    // The stored bytes of row y (shared, not copied).
    std::span<const std::uint8_t> Row(int y) const;

  private:
    std::size_t Index(int x, int y) const
    {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(FWidth) + static_cast<std::size_t>(x);
    }

    int FWidth;
    int FHeight;
    std::vector<std::uint8_t> FBytes; // row after row
};

} // namespace bramolt::qr
