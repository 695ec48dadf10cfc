#include "mail/OpenSsl.h"

#include "mail/MailError.h"
#include "mail/OpenSslNames.h"
#include "mail/SharedLibrary.h"

#include <memory>
#include <mutex>

namespace bramolt::mail {

namespace {

template <typename Function> bool Bind(void* library, const char* name, Function& target)
{
    target = reinterpret_cast<Function>(FindSharedSymbol(library, name));
    return target != nullptr;
}

std::unique_ptr<TOpenSsl> TryLoad()
{
    // libssl needs libcrypto; loading it first makes a missing libcrypto an error of ours
    // rather than of the system's loader.
    void* crypto = LoadSharedLibrary(kCryptoLibrary);
    void* ssl = crypto ? LoadSharedLibrary(kSslLibrary) : nullptr;
    if (!ssl)
        return nullptr;
    auto api = std::make_unique<TOpenSsl>();
    const bool complete =
        Bind(ssl, "TLS_client_method", api->TLS_client_method) &&
        Bind(ssl, "SSL_CTX_new", api->SSL_CTX_new) && Bind(ssl, "SSL_CTX_free", api->SSL_CTX_free) &&
        Bind(ssl, "SSL_CTX_ctrl", api->SSL_CTX_ctrl) &&
        Bind(ssl, "SSL_CTX_set_verify", api->SSL_CTX_set_verify) &&
        Bind(ssl, "SSL_CTX_set_security_level", api->SSL_CTX_set_security_level) &&
        Bind(ssl, "SSL_new", api->SSL_new) && Bind(ssl, "SSL_free", api->SSL_free) &&
        Bind(ssl, "SSL_set_fd", api->SSL_set_fd) && Bind(ssl, "SSL_ctrl", api->SSL_ctrl) &&
        Bind(ssl, "SSL_connect", api->SSL_connect) && Bind(ssl, "SSL_read", api->SSL_read) &&
        Bind(ssl, "SSL_write", api->SSL_write) && Bind(ssl, "SSL_get_error", api->SSL_get_error) &&
        Bind(ssl, "SSL_shutdown", api->SSL_shutdown) &&
        Bind(crypto, "ERR_clear_error", api->ERR_clear_error) &&
        Bind(ssl, "SSL_CTX_get_cert_store", api->SSL_CTX_get_cert_store) &&
        Bind(ssl, "SSL_CTX_set_default_verify_paths", api->SSL_CTX_set_default_verify_paths) &&
        Bind(ssl, "SSL_set1_host", api->SSL_set1_host) &&
        Bind(ssl, "SSL_get_verify_result", api->SSL_get_verify_result) &&
        Bind(crypto, "d2i_X509", api->d2i_X509) && Bind(crypto, "X509_free", api->X509_free) &&
        Bind(crypto, "X509_STORE_add_cert", api->X509_STORE_add_cert) &&
        Bind(crypto, "X509_verify_cert_error_string", api->X509_verify_cert_error_string);
    return complete ? std::move(api) : nullptr;
}

} // namespace

const TOpenSsl& LoadOpenSsl()
{
    // The libraries stay loaded for the life of the process, so their table is kept as long.
    static std::mutex guard;
    static std::unique_ptr<TOpenSsl> loaded;
    const std::lock_guard lock(guard);
    if (!loaded)
        loaded = TryLoad();
    if (!loaded)
        throw EMailError("Could not load SSL library.");
    return *loaded;
}

} // namespace bramolt::mail
