#pragma once

#include "mail/ByteSink.h"
#include "mail/MailLimits.h"
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
// in, in plain text or, after StartTls, through TLS. Every wait has an end (MailLimits.h):
// each reply must arrive within the reply limit, and so must each piece of what is sent; the
// TLS handshake ends within the reply limit as a whole; the reply to a whole message has the
// message reply limit. Until EndDialogue, each of these waits also ends when the dialogue's
// limit, counted from `started`, runs out, with the message the wait gives for its own limit.
class TSmtpChannel : public TByteSink {
  public:
    // `started` is when the exchange began, its connection included.
    TSmtpChannel(TSocket socket, const TMailLimits& limits,
                 std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now());

    // Buffers bytes of the message; Flush or Command sends them.
    void Write(std::string_view bytes) override;
    void Flush();
    // Sends one command line; CR LF is added.
    void Command(std::string_view line);
    // Waits for the next complete reply. A server that closes the connection instead is an
    // error, as is a reply that does not arrive in time ("Read timed out.").
    TSmtpReply ReadReply() { return ReadReply(FLimits.Reply); }
    // The same for the reply to the message's final ".".
    TSmtpReply ReadMessageReply() { return ReadReply(FLimits.MessageReply); }

    // Performs the TLS handshake on the connection (TlsStream.h); what follows goes through TLS.
    void StartTls(const TOpenSsl& api, const std::string& serverName, bool verify);
    // The dialogue before the message is over: from here on each wait has its own limit only.
    void EndDialogue() { FDialogueEnd = TDeadline::max(); }

  private:
    // The end of a wait that may last `limit`, starting now.
    TDeadline WaitEnd(std::chrono::milliseconds limit) const;
    void Send(std::string_view bytes);
    std::size_t Receive(char* buffer, std::size_t size, TDeadline deadline);
    TSmtpReply ReadReply(std::chrono::milliseconds limit);

    TSocket FSocket;
    TMailLimits FLimits;
    TDeadline FDialogueEnd;
    std::unique_ptr<TTlsStream> FTls;
    TSmtpReplyReader FReader;
    std::string FOut;
};

} // namespace bramolt::mail
