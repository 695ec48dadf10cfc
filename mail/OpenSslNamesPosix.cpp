#include "mail/OpenSslNames.h"

namespace bramolt::mail {

const char* const kCryptoLibrary = "libcrypto.so.3";
const char* const kSslLibrary = "libssl.so.3";

} // namespace bramolt::mail
