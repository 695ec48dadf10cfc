#include "qr/QRErrors.h"

namespace bramolt::qr {

EQRTextTooLong::EQRTextTooLong(int amount, int limit, const char* unit)
    : std::length_error("Text too long for a QR code (" + std::to_string(amount) + " " + unit + "; at most " +
                        std::to_string(limit) + ")"),
      FAmount(amount), FLimit(limit)
{
}

} // namespace bramolt::qr
