#pragma once

// The part of OpenSSL 3's libssl and libcrypto that the TLS layer calls, as a table of
// function pointers filled at run time. The server is built without OpenSSL's headers and
// import libraries; the two libraries are found when a call first needs TLS:
// libssl.so.3 and libcrypto.so.3, or libssl-3-x64.dll and libcrypto-3-x64.dll beside the
// executable or on the path.

namespace bramolt::mail {

// Opaque types of the library, only ever used through pointers.
struct TSslMethod;
struct TSslContext;
struct TSsl;

// Constants of OpenSSL 3's public interface.
namespace ossl {
inline constexpr int kCtrlSetMinProtoVersion = 123;
inline constexpr int kCtrlSetTlsExtHostName = 55;
inline constexpr long kNameTypeHostName = 0;
inline constexpr long kTls1Version = 0x0301;
inline constexpr int kVerifyNone = 0;
inline constexpr int kErrorWantRead = 2;
inline constexpr int kErrorWantWrite = 3;
inline constexpr int kErrorSyscall = 5;
inline constexpr int kErrorZeroReturn = 6;
} // namespace ossl

struct TOpenSsl {
    const TSslMethod* (*TLS_client_method)();
    TSslContext* (*SSL_CTX_new)(const TSslMethod* method);
    void (*SSL_CTX_free)(TSslContext* context);
    long (*SSL_CTX_ctrl)(TSslContext* context, int command, long value, void* pointer);
    void (*SSL_CTX_set_verify)(TSslContext* context, int mode, void* callback);
    void (*SSL_CTX_set_security_level)(TSslContext* context, int level);
    TSsl* (*SSL_new)(TSslContext* context);
    void (*SSL_free)(TSsl* ssl);
    int (*SSL_set_fd)(TSsl* ssl, int socket);
    long (*SSL_ctrl)(TSsl* ssl, int command, long value, void* pointer);
    int (*SSL_connect)(TSsl* ssl);
    int (*SSL_read)(TSsl* ssl, void* buffer, int size);
    int (*SSL_write)(TSsl* ssl, const void* buffer, int size);
    int (*SSL_get_error)(const TSsl* ssl, int result);
    int (*SSL_pending)(const TSsl* ssl);
    int (*SSL_shutdown)(TSsl* ssl);
    void (*ERR_clear_error)();
};

// The loaded table. Loaded once per process and kept; a failed attempt is repeated by the
// next call, so libraries installed meanwhile are found. Throws TMailError
// "Could not load SSL library." when a library or one of its functions is missing.
const TOpenSsl& LoadOpenSsl();

} // namespace bramolt::mail
