#pragma once

#include "mail/ByteSink.h"
#include "mail/OpenSsl.h"
#include "mail/SmtpReply.h"
#include "mail/Socket.h"
#include "mail/TlsStream.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace bramolt::mail {

// The connection of one SMTP dialogue: commands and message bytes out (buffered), replies
// in, in plain text or, after StartTls, through TLS. Each reply must arrive within the
// reply limit; the reply to a whole message within the message reply limit, which RFC 5321
// (section 4.5.3.2.6) sets at 10 minutes because servers scan the message before they answer:
// giving up sooner would have the caller send an accepted message again.
class TSmtpChannel : public TByteSink {
  public:
    TSmtpChannel(TSocket socket, std::chrono::milliseconds replyLimit,
                 std::chrono::milliseconds messageReplyLimit = std::chrono::minutes(10));

    // Buffers bytes of the message; Flush or Command sends them.
    void Write(std::string_view bytes) override;
    void Flush();
    // Sends one command line; CR LF is added.
    void Command(std::string_view line);
    // Waits for the next complete reply. A server that closes the connection instead is an
    // error, as is a reply that does not arrive within the reply limit ("Read timed out.").
    TSmtpReply ReadReply() { return ReadReply(FReplyLimit); }
    // The same for the reply to the message's final ".".
    TSmtpReply ReadMessageReply() { return ReadReply(FMessageReplyLimit); }

    // Performs the TLS handshake on the connection (TlsStream.h); what follows goes through TLS.
    void StartTls(const TOpenSsl& api, const std::string& serverName, bool verify);

  private:
    std::size_t Receive(char* buffer, std::size_t size, TDeadline deadline);
    TSmtpReply ReadReply(std::chrono::milliseconds limit);

    TSocket FSocket;
    std::chrono::milliseconds FReplyLimit;
    std::chrono::milliseconds FMessageReplyLimit;
    std::unique_ptr<TTlsStream> FTls;
    TSmtpReplyReader FReader;
    std::string FOut;
};

} // namespace bramolt::mail
