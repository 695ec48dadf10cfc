#pragma once

// The file names of OpenSSL 3's two libraries on this platform, one definition per platform
// (OpenSslNamesPosix.cpp, OpenSslNamesWin32.cpp). On Windows they are found beside the
// executable or on the path.

namespace bramolt::mail {

extern const char* const kCryptoLibrary;
extern const char* const kSslLibrary;

} // namespace bramolt::mail
