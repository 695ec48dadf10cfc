#include "qr/ByteMatrix.h"

#include <algorithm>
#include <stdexcept>

namespace bramolt::qr {

TByteMatrix::TByteMatrix(int Width, int Height) : FWidth(Width), FHeight(Height)
{
    if (Width < 0 || Height < 0)
        throw std::invalid_argument("A module matrix cannot have a negative size");
    FBytes.assign(static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height), 0);
}

void TByteMatrix::Clear(std::uint8_t Value)
{
    std::fill(FBytes.begin(), FBytes.end(), Value);
}

std::span<const std::uint8_t> TByteMatrix::Row(int Y) const
{
    return std::span<const std::uint8_t>(FBytes).subspan(Index(0, Y), static_cast<std::size_t>(FWidth));
}

} // namespace bramolt::qr
