#pragma once

#include <chrono>

namespace bramolt::mail {

// Time limits of one delivery. Every wait of the exchange ends:
// - Connect: the TCP connection, all addresses of the host together.
// - Reply: each reply of the server, and the TLS handshake as a whole (a server that sends
//   it a byte at a time gets no longer than one that sends nothing).
// - Dialogue: everything before the message (connect, greeting, EHLO, STARTTLS and the
//   handshake, AUTH, MAIL FROM, every RCPT TO, DATA's 354), commands sent included; each of
//   its waits ends at its own limit or at the dialogue's, whichever comes first. A server
//   that answers each command just within the reply limit would otherwise hold the caller
//   for a reply limit per recipient. Five minutes leave a slow but honest server a few
//   seconds for each of a hundred recipients, after a greeting pause of half a minute, and
//   still end a call that is going nowhere.
// - MessageReply: the reply to the whole message, which RFC 5321 (section 4.5.3.2.6) sets at
//   10 minutes because servers scan the message before they answer (TSmtpChannel).
// The message's own bytes are not under the dialogue's limit: a large attachment takes
// what it takes, as long as each part of it leaves within the reply limit.
struct TMailLimits {
    std::chrono::milliseconds Connect{3000};
    std::chrono::milliseconds Reply{60000};
    std::chrono::milliseconds Dialogue{300000};
    std::chrono::milliseconds MessageReply{600000};
};

} // namespace bramolt::mail
