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
// reply limit.
class TSmtpChannel : public TByteSink {
  public:
    TSmtpChannel(TSocket socket, std::chrono::milliseconds replyLimit);

    // Buffers bytes of the message; Flush or Command sends them.
    void Write(std::string_view bytes) override;
    void Flush();
    // Sends one command line; CR LF is added.
    void Command(std::string_view line);
    // Waits for the next complete reply. A server that closes the connection instead is an
    // error, as is a reply that does not arrive within the reply limit ("Read timed out.").
    TSmtpReply ReadReply();

    // Performs the TLS handshake on the connection; what follows goes through TLS.
    void StartTls(const TOpenSsl& api, const std::string& serverName);

  private:
    std::size_t Receive(char* buffer, std::size_t size, TDeadline deadline);

    TSocket FSocket;
    std::chrono::milliseconds FReplyLimit;
    std::unique_ptr<TTlsStream> FTls;
    TSmtpReplyReader FReader;
    std::string FOut;
};

} // namespace bramolt::mail
