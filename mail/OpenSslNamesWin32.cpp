#include "mail/OpenSslNames.h"

namespace bramolt::mail {

// The names of OpenSSL's own 64-bit Windows build.
const char* const kCryptoLibrary = "libcrypto-3-x64.dll";
const char* const kSslLibrary = "libssl-3-x64.dll";

} // namespace bramolt::mail
