#include "qr/QRErrors.h"

namespace bramolt::qr {

EQRTextTooLong::EQRTextTooLong(int Amount, int Limit, const char* Unit)
    : std::length_error("Text too long for a QR code (" + std::to_string(Amount) + " " + Unit + "; at most " +
                        std::to_string(Limit) + ")"),
      FAmount(Amount), FLimit(Limit)
{
}

} // namespace bramolt::qr
