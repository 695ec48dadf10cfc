#include "mail/TrustedRoots.h"

#include "mail/MailError.h"

#include <windows.h>

#include <wincrypt.h>

#include <memory>

namespace bramolt::mail {

namespace {

struct TStoreClose {
    void operator()(void* store) const { ::CertCloseStore(store, 0); }
};

struct TCertificateFree {
    const TOpenSsl* Api;
    void operator()(TX509* certificate) const { Api->X509_free(certificate); }
};

} // namespace

void AddTrustedRoots(const TOpenSsl& api, TSslContext* context)
{
    // The user's logical "ROOT" store also shows the machine's roots and those of group
    // policy, which is what the system's own TLS trusts.
    const std::unique_ptr<void, TStoreClose> store(::CertOpenSystemStoreW(0, L"ROOT"));
    if (!store)
        throw EMailError("SSL negotiation failed. The system's root certificate store cannot be opened.");
    TX509Store* trusted = api.SSL_CTX_get_cert_store(context);
    // Each step frees the previous certificate context.
    for (PCCERT_CONTEXT certificate = nullptr;
         (certificate = ::CertEnumCertificatesInStore(store.get(), certificate)) != nullptr;) {
        const unsigned char* bytes = certificate->pbCertEncoded;
        const std::unique_ptr<TX509, TCertificateFree> parsed(
            api.d2i_X509(nullptr, &bytes, static_cast<long>(certificate->cbCertEncoded)),
            TCertificateFree{&api});
        // A certificate OpenSSL cannot read is one it could not have used either; a duplicate
        // is refused and changes nothing.
        if (parsed)
            api.X509_STORE_add_cert(trusted, parsed.get());
    }
}

} // namespace bramolt::mail
