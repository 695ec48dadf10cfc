#pragma once

#include "mail/MailLimits.h"
#include "mail/SmtpSession.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace bramolt::mail {

// How a delivery uses TLS: none unless requested; then implicit TLS on port 465 (RFC 8314),
// STARTTLS on every other port, 587 included.
TTlsMode TlsModeFor(bool useTls, std::uint16_t port);

// Composes one message and submits it to `server`: connect, greet, TLS (when `useTls`;
// verified when the machine's policy asks for it, VerificationPolicy.h), AUTH (when
// `userName` is given and the server offers a mechanism that fits, SmtpSession.h), MAIL
// FROM, RCPT TO for every To, Cc and Bcc recipient, DATA, QUIT.
// - To, Cc and Bcc are address lists (AddressList.h); `attachments` holds file paths
//   separated by "|" (empty entries ignored), each of which must name a readable file.
// - `userName` is the login and the sender (From and MAIL FROM), one mailbox; `password` is
//   a password, or "Bearer <access token>" for OAuth 2 (SignIn.h).
// Lists, sender, credentials and attachments are all checked before connecting.
// - Only the low 16 bits of `port` count. With `useTls`, port 465 means TLS from the first
//   byte (RFC 8314); any other port starts in plain text and requires STARTTLS.
// Returns once the server has accepted the message; every failure throws EMailError with
// the message the caller gets.
void DeliverMail(std::u16string_view to, std::u16string_view cc, std::u16string_view bcc,
                 std::u16string_view subject, std::u16string_view body, std::u16string_view attachments,
                 std::u16string_view userName, std::u16string_view password, std::u16string_view server,
                 std::int32_t port, bool useTls, const TMailLimits& limits = {});

} // namespace bramolt::mail
