#include "mail/SmtpSession.h"

#include "fileout/Base64.h"
#include "mail/DotStuffer.h"
#include "mail/MailError.h"
#include "text/CaseFolding.h"

#include <utility>

namespace bramolt::mail {

namespace {

// RFC 4954 section 4: an AUTH command line, initial response included, may be this long.
constexpr std::size_t kMaxAuthLine = 12288;

// Every message of a sign-in is one line of Base64.
std::string Base64Line(std::string_view bytes)
{
    std::string encoded = fileout::EncodeBase64Lines(bytes);
    std::erase_if(encoded, [](char c) { return c == '\r' || c == '\n'; });
    return encoded;
}

// The words of a capability line, split at blanks and, for "AUTH=LOGIN" of old servers, "=".
std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = line.find_first_of(" =", at);
        const std::size_t stop = end == std::string_view::npos ? line.size() : end;
        if (stop > at)
            words.push_back(line.substr(at, stop - at));
        at = stop + 1;
    }
    return words;
}

[[noreturn]] void FailWith(const TSmtpReply& reply)
{
    throw EMailError(reply.Text());
}

bool IsEmptyChallenge(const TSmtpReply& reply)
{
    return reply.Lines.size() == 1 && reply.Lines.front().find_first_not_of(' ') == std::string::npos;
}

} // namespace

TSmtpSession::TSmtpSession(TSmtpChannel& channel, const TSmtpTransaction& transaction, const TOpenSsl* tls,
                           TContentWriter content)
    : FChannel(channel), FTransaction(transaction), FTls(tls), FContent(std::move(content))
{
}

void TSmtpSession::Run()
{
    if (FTransaction.Tls == TTlsMode::tmImplicit) {
        FChannel.StartTls(*FTls, FTransaction.ServerName, FTransaction.VerifyServer);
        FSecure = true;
    }
    FState = TSmtpState::ssGreeting;
    while (FState != TSmtpState::ssDone) {
        if (FState == TSmtpState::ssQuit) {
            // The message is accepted: the caller must not send it again, so a QUIT that
            // goes wrong is no failure of the delivery.
            try {
                FChannel.ReadReply();
            } catch (const EMailError&) {
            }
            FState = TSmtpState::ssDone;
            break;
        }
        OnReply(FState == TSmtpState::ssContent ? FChannel.ReadMessageReply() : FChannel.ReadReply());
    }
}

void TSmtpSession::Enter(TSmtpState next)
{
    FState = next;
    switch (next) {
    case TSmtpState::ssEhlo:
        FChannel.Command("EHLO " + FTransaction.ClientName);
        break;
    case TSmtpState::ssHelo:
        FChannel.Command("HELO " + FTransaction.ClientName);
        break;
    case TSmtpState::ssStartTls:
        FChannel.Command("STARTTLS");
        break;
    case TSmtpState::ssAuthLogin:
        FChannel.Command("AUTH LOGIN");
        break;
    case TSmtpState::ssAuthUser:
        FChannel.Command(Base64Line(FTransaction.SignIn.UserName));
        break;
    case TSmtpState::ssAuthPassword:
        FChannel.Command(Base64Line(FTransaction.SignIn.Secret));
        break;
    case TSmtpState::ssAuthMessage: {
        // A message too long for the command line waits for the server's empty challenge.
        const std::string command = std::string("AUTH ") + MechanismName(FMechanism);
        const bool fits = command.size() + 1 + FSignInMessage.size() + 2 <= kMaxAuthLine;
        FChannel.Command(fits ? command + " " + FSignInMessage : command);
        break;
    }
    case TSmtpState::ssAuthCancel:
        // XOAUTH2 wants an empty line, RFC 7628 section 3.2.3 the single byte 0x01; other
        // mechanisms cancel with "*" (RFC 4954 section 4).
        FChannel.Command(FMechanism == TSaslMechanism::smXOAuth2       ? ""
                         : FMechanism == TSaslMechanism::smOAuthBearer ? Base64Line("\x01")
                                                                       : "*");
        break;
    case TSmtpState::ssMailFrom:
        FChannel.Command("MAIL FROM:<" + FTransaction.Sender + ">");
        break;
    case TSmtpState::ssRcptTo:
        FChannel.Command("RCPT TO:<" + FTransaction.Recipients[FRecipient] + ">");
        break;
    case TSmtpState::ssData:
        FChannel.Command("DATA");
        break;
    case TSmtpState::ssContent: {
        // The message and the reply to it have limits of their own, however long the dialogue
        // took to get here.
        FChannel.EndDialogue();
        TDotStuffer stuffer(FChannel);
        FContent(stuffer);
        stuffer.Finish();
        FChannel.Flush();
        break;
    }
    case TSmtpState::ssQuit:
        try {
            FChannel.Command("QUIT");
        } catch (const EMailError&) {
            FState = TSmtpState::ssDone;
        }
        break;
    case TSmtpState::ssGreeting:
    case TSmtpState::ssDone:
        break;
    }
}

void TSmtpSession::OnReply(const TSmtpReply& reply)
{
    switch (FState) {
    case TSmtpState::ssGreeting:
        return OnGreeting(reply);
    case TSmtpState::ssEhlo:
        return OnEhlo(reply);
    case TSmtpState::ssHelo:
        return OnHelo(reply);
    case TSmtpState::ssStartTls:
        return OnStartTls(reply);
    case TSmtpState::ssAuthLogin:
        return OnAuthLogin(reply);
    case TSmtpState::ssAuthUser:
        return OnAuthUser(reply);
    case TSmtpState::ssAuthPassword:
        return OnAuthPassword(reply);
    case TSmtpState::ssAuthMessage:
        return OnAuthMessage(reply);
    case TSmtpState::ssAuthCancel:
        return OnAuthCancel(reply);
    case TSmtpState::ssMailFrom:
        return OnMailFrom(reply);
    case TSmtpState::ssRcptTo:
        return OnRcptTo(reply);
    case TSmtpState::ssData:
        return OnData(reply);
    case TSmtpState::ssContent:
        return OnContent(reply);
    case TSmtpState::ssQuit:
    case TSmtpState::ssDone:
        return;
    }
}

void TSmtpSession::OnGreeting(const TSmtpReply& reply)
{
    if (reply.Code != 220)
        FailWith(reply);
    Enter(TSmtpState::ssEhlo);
}

void TSmtpSession::OnEhlo(const TSmtpReply& reply)
{
    if (reply.Code != 250)
        return Enter(TSmtpState::ssHelo);
    FCapabilities.assign(reply.Lines.begin() + 1, reply.Lines.end());
    AfterGreeting();
}

void TSmtpSession::OnHelo(const TSmtpReply& reply)
{
    if (reply.Code != 250)
        FailWith(reply);
    FCapabilities.clear();
    AfterGreeting();
}

void TSmtpSession::AfterGreeting()
{
    if (FTransaction.Tls == TTlsMode::tmStartTls && !FSecure) {
        if (!Offers("STARTTLS"))
            QuitAndFail("SSL is not available on this server.");
        return Enter(TSmtpState::ssStartTls);
    }
    if (!FTransaction.SignIn.UserName.empty())
        return SignIn();
    Enter(TSmtpState::ssMailFrom);
}

void TSmtpSession::SignIn()
{
    const TCredentials& credentials = FTransaction.SignIn;
    const auto start = [this](TSaslMechanism mechanism, const std::string& message) {
        FMechanism = mechanism;
        FSignInMessage = Base64Line(message);
        Enter(TSmtpState::ssAuthMessage);
    };
    if (credentials.Kind == TSecretKind::skAccessToken) {
        if (OffersMechanism("XOAUTH2"))
            return start(TSaslMechanism::smXOAuth2, XOAuth2Message(credentials));
        if (OffersMechanism("OAUTHBEARER"))
            return start(TSaslMechanism::smOAuthBearer,
                         OAuthBearerMessage(credentials, FTransaction.ServerName, FTransaction.ServerPort));
    } else {
        if (OffersMechanism("LOGIN")) {
            FMechanism = TSaslMechanism::smLogin;
            return Enter(TSmtpState::ssAuthLogin);
        }
        if (OffersMechanism("PLAIN"))
            return start(TSaslMechanism::smPlain, PlainMessage(credentials));
    }
    Enter(TSmtpState::ssMailFrom);
}

void TSmtpSession::OnStartTls(const TSmtpReply& reply)
{
    if (reply.Code != 220)
        QuitAndFail("Start SSL negotiation command failed.");
    FChannel.StartTls(*FTls, FTransaction.ServerName, FTransaction.VerifyServer);
    FSecure = true;
    // The capabilities heard in plain text no longer count (RFC 3207 section 4.2).
    FCapabilities.clear();
    Enter(TSmtpState::ssEhlo);
}

void TSmtpSession::OnAuthLogin(const TSmtpReply& reply)
{
    if (reply.Code != 334)
        FailWith(reply);
    Enter(TSmtpState::ssAuthUser);
}

void TSmtpSession::OnAuthUser(const TSmtpReply& reply)
{
    if (reply.Code == 235)
        return Enter(TSmtpState::ssMailFrom);
    if (reply.Code != 334)
        FailWith(reply);
    Enter(TSmtpState::ssAuthPassword);
}

void TSmtpSession::OnAuthPassword(const TSmtpReply& reply)
{
    if (reply.Code != 235)
        FailWith(reply);
    Enter(TSmtpState::ssMailFrom);
}

void TSmtpSession::OnAuthMessage(const TSmtpReply& reply)
{
    if (reply.Code == 235)
        return Enter(TSmtpState::ssMailFrom);
    if (reply.Code != 334)
        FailWith(reply);
    // An empty challenge asks for the message that did not travel with the command, or that
    // the server wants on a line of its own (RFC 4954 section 4); it is sent once.
    if (IsEmptyChallenge(reply) && !FSignInMessageSent) {
        FSignInMessageSent = true;
        return FChannel.Command(FSignInMessage);
    }
    // Any other challenge is the server's report of a refused token (RFC 7628 section 3.2.2;
    // XOAUTH2 alike): once it is acknowledged, the server ends the exchange with a refusal
    // whose text reaches the caller.
    Enter(TSmtpState::ssAuthCancel);
}

void TSmtpSession::OnAuthCancel(const TSmtpReply& reply)
{
    FailWith(reply);
}

void TSmtpSession::OnMailFrom(const TSmtpReply& reply)
{
    if (reply.Code != 250)
        FailWith(reply);
    FRecipient = 0;
    Enter(FTransaction.Recipients.empty() ? TSmtpState::ssData : TSmtpState::ssRcptTo);
}

void TSmtpSession::OnRcptTo(const TSmtpReply& reply)
{
    // One rejected recipient ends the transaction: nobody gets a message that some of its
    // recipients would miss.
    if (reply.Code != 250 && reply.Code != 251)
        ResetAndFail(reply);
    if (++FRecipient < FTransaction.Recipients.size())
        return Enter(TSmtpState::ssRcptTo);
    Enter(TSmtpState::ssData);
}

void TSmtpSession::OnData(const TSmtpReply& reply)
{
    if (reply.Code != 354)
        ResetAndFail(reply);
    Enter(TSmtpState::ssContent);
}

void TSmtpSession::OnContent(const TSmtpReply& reply)
{
    if (reply.Code != 250)
        ResetAndFail(reply);
    Enter(TSmtpState::ssQuit);
}

bool TSmtpSession::Offers(const char* keyword) const
{
    for (const auto& line : FCapabilities) {
        const auto words = Words(line);
        if (!words.empty() && text::EqualsIgnoringAsciiCase(words.front(), keyword))
            return true;
    }
    return false;
}

bool TSmtpSession::OffersMechanism(const char* mechanism) const
{
    for (const auto& line : FCapabilities) {
        const auto words = Words(line);
        if (words.empty() || !text::EqualsIgnoringAsciiCase(words.front(), "AUTH"))
            continue;
        for (std::size_t i = 1; i < words.size(); ++i)
            if (text::EqualsIgnoringAsciiCase(words[i], mechanism))
                return true;
    }
    return false;
}

void TSmtpSession::SendQuietly(const char* command) noexcept
{
    try {
        FChannel.Command(command);
        FChannel.ReadReply();
    } catch (...) {
    }
}

void TSmtpSession::QuitAndFail(const char* message)
{
    SendQuietly("QUIT");
    throw EMailError(message);
}

void TSmtpSession::ResetAndFail(const TSmtpReply& reply)
{
    SendQuietly("RSET");
    FailWith(reply);
}

} // namespace bramolt::mail
