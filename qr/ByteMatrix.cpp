#include "qr/ByteMatrix.h"

#include <algorithm>
#include <stdexcept>

namespace bramolt::qr {

TByteMatrix::TByteMatrix(int width, int height) : FWidth(width), FHeight(height)
{
    if (width < 0 || height < 0)
        throw std::invalid_argument("A module matrix cannot have a negative size");
    FBytes.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

void TByteMatrix::Clear(std::uint8_t value)
{
    std::fill(FBytes.begin(), FBytes.end(), value);
}

std::span<const std::uint8_t> TByteMatrix::Row(int y) const
{
    return std::span<const std::uint8_t>(FBytes).subspan(Index(0, y), static_cast<std::size_t>(FWidth));
}

} // namespace bramolt::qr
