#pragma once

// The client side of one SMTP mail transaction:
//   RFC 5321  Simple Mail Transfer Protocol (EHLO/HELO, MAIL, RCPT, DATA, RSET, QUIT)
//   RFC 3207  STARTTLS
//   RFC 4954  AUTH, with the mechanisms of SignIn.h: LOGIN or else PLAIN for a password,
//             XOAUTH2 or else OAUTHBEARER for an access token
//   RFC 8314  implicit TLS (the handshake before the greeting)
// Commands are not pipelined: each waits for its reply.

#include "mail/ByteSink.h"
#include "mail/OpenSsl.h"
#include "mail/SignIn.h"
#include "mail/SmtpChannel.h"
#include "mail/SmtpReply.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bramolt::mail {

enum class TTlsMode {
    tmNone,     // plain text throughout
    tmStartTls, // plain text until STARTTLS, which the server must offer
    tmImplicit, // TLS from the first byte
};

// What one transaction sends, as the bytes that go on the wire (UTF-8).
struct TSmtpTransaction {
    std::string ClientName;       // for EHLO and HELO
    std::string ServerName;       // for the TLS server name and its verification, and OAUTHBEARER
    std::uint16_t ServerPort = 0; // for OAUTHBEARER
    TTlsMode Tls = TTlsMode::tmNone;
    bool VerifyServer = false; // the server's certificate must chain to a trusted root and name it
    TCredentials SignIn;       // AUTH only when its user name is not empty
    std::string Sender;        // MAIL FROM
    std::vector<std::string> Recipients;
};

class TSmtpSession {
  public:
    // Writes the message content, with CR LF line ends, into the sink it is given.
    using TContentWriter = std::function<void(TByteSink&)>;

    // `tls` is needed only when the transaction asks for TLS.
    TSmtpSession(TSmtpChannel& channel, const TSmtpTransaction& transaction, const TOpenSsl* tls,
                 TContentWriter content);

    // Runs the whole dialogue. Returns once the server has accepted the message (whatever
    // QUIT then brings); throws EMailError with the failing step's message otherwise.
    void Run();

  private:
    enum class TSmtpState {
        ssGreeting,     // connected, waiting for 220
        ssEhlo,         // EHLO sent: 250 brings the capabilities, anything else falls back to HELO
        ssHelo,         // HELO sent: 250
        ssStartTls,     // STARTTLS sent: 220, then the handshake and EHLO again
        ssAuthLogin,    // AUTH LOGIN sent: 334 asks for the user name
        ssAuthUser,     // user name sent: 235 (done) or 334 (asks for the password)
        ssAuthPassword, // password sent: 235
        ssAuthMessage,  // AUTH with the mechanism's one message sent: 235, or 334 (see OnAuthMessage)
        ssAuthCancel,   // the server's error challenge acknowledged: its final reply says why
        ssMailFrom,     // MAIL FROM sent: 250
        ssRcptTo,       // RCPT TO of recipient FRecipient sent: 250 or 251
        ssData,         // DATA sent: 354
        ssContent,      // message and "." sent: 250 means accepted
        ssQuit,         // QUIT sent after acceptance: whatever comes ends the dialogue
        ssDone,
    };

    // Sends the command that opens `next` and waits in it.
    void Enter(TSmtpState next);
    void OnReply(const TSmtpReply& reply);

    void OnGreeting(const TSmtpReply& reply);
    void OnEhlo(const TSmtpReply& reply);
    void OnHelo(const TSmtpReply& reply);
    void OnStartTls(const TSmtpReply& reply);
    void OnAuthLogin(const TSmtpReply& reply);
    void OnAuthUser(const TSmtpReply& reply);
    void OnAuthPassword(const TSmtpReply& reply);
    void OnAuthMessage(const TSmtpReply& reply);
    void OnAuthCancel(const TSmtpReply& reply);
    void OnMailFrom(const TSmtpReply& reply);
    void OnRcptTo(const TSmtpReply& reply);
    void OnData(const TSmtpReply& reply);
    void OnContent(const TSmtpReply& reply);

    // After EHLO or HELO: STARTTLS when it is still due, else authentication or MAIL FROM.
    void AfterGreeting();
    // Signs in with the first mechanism that fits the credentials and that the server offers;
    // with none of them offered the dialogue goes on without AUTH.
    void SignIn();
    bool Offers(const char* keyword) const;
    bool OffersMechanism(const char* mechanism) const;

    // Failures that end the dialogue in the ways RFC 5321 and 3207 ask for.
    [[noreturn]] void QuitAndFail(const char* message);
    [[noreturn]] void ResetAndFail(const TSmtpReply& reply);
    // Sends a command whose reply does not matter; a failure here changes nothing.
    void SendQuietly(const char* command) noexcept;

    TSmtpChannel& FChannel;
    const TSmtpTransaction& FTransaction;
    const TOpenSsl* FTls;
    TContentWriter FContent;
    TSmtpState FState = TSmtpState::ssGreeting;
    std::vector<std::string> FCapabilities;
    bool FSecure = false;
    TSaslMechanism FMechanism = TSaslMechanism::smLogin;
    std::string FSignInMessage;      // of PLAIN, XOAUTH2 or OAUTHBEARER, in Base64
    bool FSignInMessageSent = false; // on a line of its own, after an empty challenge
    std::size_t FRecipient = 0;
};

} // namespace bramolt::mail
