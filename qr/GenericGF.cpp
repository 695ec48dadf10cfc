#include "qr/GenericGF.h"

namespace bramolt::qr {

namespace {

constexpr TGenericGF QRCodeField(0x11D, 256, 0);

static_assert(QRCodeField.Exp(8) == 29 && QRCodeField.Exp(255) == 1, "0x11D must be primitive");

} // namespace

const TGenericGF& TGenericGF::QRCodeField256()
{
    return QRCodeField;
}

} // namespace bramolt::qr
