#pragma once

#include <stdexcept>
#include <string>

namespace bramolt::qr {

// The one error the encoder raises: the text does not fit a version 40 symbol at level L.
// The message names the amount and the limit in the unit of the segment mode
// (digits, characters or bytes), e.g. "Text too long for a QR code (2954 bytes; at most 2953)".
class EQRTextTooLong : public std::length_error {
  public:
    EQRTextTooLong(int amount, int limit, const char* unit);

    int Amount() const noexcept { return FAmount; }
    int Limit() const noexcept { return FLimit; }

  private:
    int FAmount;
    int FLimit;
};

} // namespace bramolt::qr
