#pragma once

// The part of OpenSSL 3's libssl and libcrypto that the TLS layer calls, as a table of
// function pointers filled at run time. The server is built without OpenSSL's headers and
// import libraries; the two libraries (OpenSslNames.h) are found when a call first needs TLS.

namespace bramolt::mail {

// Opaque types of the library, only ever used through pointers.
struct TSslMethod;
struct TSslContext;
struct TSsl;
struct TX509;
struct TX509Store;

// Constants of OpenSSL 3's public interface.
namespace ossl {
inline constexpr int kCtrlSetMinProtoVersion = 123;
inline constexpr int kCtrlSetTlsExtHostName = 55;
inline constexpr long kNameTypeHostName = 0;
inline constexpr long kTls1Version = 0x0301;
inline constexpr int kVerifyNone = 0;
inline constexpr int kVerifyPeer = 1;
inline constexpr long kX509VerifyOk = 0;
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
    int (*SSL_shutdown)(TSsl* ssl);
    void (*ERR_clear_error)();

    // Certificate verification.
    TX509Store* (*SSL_CTX_get_cert_store)(const TSslContext* context);
    int (*SSL_CTX_set_default_verify_paths)(TSslContext* context);
    int (*SSL_set1_host)(TSsl* ssl, const char* hostname);
    long (*SSL_get_verify_result)(const TSsl* ssl);
    TX509* (*d2i_X509)(TX509** certificate, const unsigned char** bytes, long length);
    void (*X509_free)(TX509* certificate);
    int (*X509_STORE_add_cert)(TX509Store* store, TX509* certificate);
    const char* (*X509_verify_cert_error_string)(long error);
};

// The loaded table. Loaded once per process and kept; a failed attempt is repeated by the
// next call, so libraries installed meanwhile are found. Throws EMailError
// "Could not load SSL library." when a library or one of its functions is missing.
const TOpenSsl& LoadOpenSsl();

} // namespace bramolt::mail
