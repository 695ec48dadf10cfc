#pragma once

// The certificates a verifying TLS client trusts, one implementation per platform:
// - Windows (TrustedRootsWin32.cpp): every certificate of the system's "ROOT" store, the
//   store that the machine's administrators and group policies fill, copied into the
//   context's OpenSSL store;
// - elsewhere (TrustedRootsPosix.cpp): OpenSSL's default locations (its certificate folder
//   and file, or those named by SSL_CERT_DIR and SSL_CERT_FILE).

#include "mail/OpenSsl.h"

namespace bramolt::mail {

// Throws EMailError when the system's store cannot be read.
void AddTrustedRoots(const TOpenSsl& api, TSslContext* context);

} // namespace bramolt::mail
