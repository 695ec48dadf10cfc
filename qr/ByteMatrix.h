#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace bramolt::qr {

// A rectangular matrix of modules, X the column and Y the row, both from 0 at the top left.
// Cells read -1 (stored as the byte 255: not assigned yet), 0 (light) or 1 (dark).
class TByteMatrix {
  public:
    // Height rows of Width cells, all 0.
    TByteMatrix(int Width, int Height);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    // The cell at column X, row Y; the stored byte 255 reads as -1.
    int Get(int X, int Y) const
    {
        const std::uint8_t cell = FBytes[Index(X, Y)];
        return cell == 255 ? -1 : cell;
    }
    void SetBoolean(int X, int Y, bool Value) { FBytes[Index(X, Y)] = Value ? 1 : 0; }
    // Stores the low eight bits of Value, so -1 is stored as 255.
    void SetInteger(int X, int Y, int Value)
    {
        FBytes[Index(X, Y)] = static_cast<std::uint8_t>(Value & 0xFF);
    }
    void Clear(std::uint8_t Value);

    // The stored bytes of row Y (shared, not copied).
    std::span<const std::uint8_t> Row(int Y) const;

  private:
    std::size_t Index(int X, int Y) const
    {
        return static_cast<std::size_t>(Y) * static_cast<std::size_t>(FWidth) + static_cast<std::size_t>(X);
    }

    int FWidth;
    int FHeight;
    std::vector<std::uint8_t> FBytes; // row after row
};

} // namespace bramolt::qr
