#include "mail/TrustedRoots.h"

#include "mail/MailError.h"

namespace bramolt::mail {

void AddTrustedRoots(const TOpenSsl& api, TSslContext* context)
{
    if (api.SSL_CTX_set_default_verify_paths(context) != 1)
        throw EMailError("SSL negotiation failed. OpenSSL's trusted certificates cannot be read.");
}

} // namespace bramolt::mail
