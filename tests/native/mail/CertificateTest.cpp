// Verification of the mail server's certificate, against real TLS servers whose certificates
// are made when the test runs: one issued by a test certificate authority for localhost and
// 127.0.0.1, one self-signed. Here the trusted roots are OpenSSL's default locations, which
// SSL_CERT_FILE and SSL_CERT_DIR point at the test's own files.
#include "mail/MailError.h"
#include "mail/OpenSsl.h"
#include "mail/SmtpSession.h"
#include "mail/Socket.h"
#include "tests/native/mail/MailTestSupport.h"

#include <cstdlib>

namespace bramolt::mail::test {
namespace {

// Sets an environment variable for the life of the object.
class TEnvironment {
  public:
    TEnvironment(const char* name, const std::string& value) : FName(name)
    {
        if (const char* old = std::getenv(name))
            FOld = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~TEnvironment()
    {
        if (FOld)
            ::setenv(FName, FOld->c_str(), 1);
        else
            ::unsetenv(FName);
    }
    TEnvironment(const TEnvironment&) = delete;
    TEnvironment& operator=(const TEnvironment&) = delete;

  private:
    const char* FName;
    std::optional<std::string> FOld;
};

// One message over TLS to 127.0.0.1; the failure's message, or "no failure".
std::string SendOverTls(const TCaptureServer& server, TTlsMode mode, const std::string& serverName,
                        bool verify)
{
    TSmtpTransaction transaction;
    transaction.ClientName = "client.test";
    transaction.ServerName = serverName;
    transaction.Tls = mode;
    transaction.VerifyServer = verify;
    transaction.Sender = "s@example.org";
    transaction.Recipients = {"r@example.org"};
    return bramolt::test::ThrownMessage<EMailError>([&] {
               TSmtpChannel channel(TSocket::Connect("127.0.0.1", static_cast<std::uint16_t>(server.Port()),
                                                     std::chrono::milliseconds(3000)),
                                    TMailLimits{.Reply = std::chrono::milliseconds(10000)});
               TSmtpSession session(channel, transaction, &LoadOpenSsl(),
                                    [](TByteSink& out) { out.Write("Subject: verified\r\n\r\nbody\r\n"); });
               session.Run();
           })
        .value_or("no failure");
}

TEST(ServerCertificate, VerifiedOnlyWhenAskedAndThenStrictly)
{
    const std::string refused = "SSL negotiation failed. The server's certificate was refused: ";
    TCaptureServer signedImplicit({"--tls", "implicit", "--signed"});
    TCaptureServer signedStartTls({"--tls", "starttls", "--signed"});
    TCaptureServer selfSigned({"--tls", "implicit"});
    TTestFolder empty;
    WriteBytes(empty / "none.pem", "");
    const std::string testAuthority = (signedImplicit.Folder() / "ca.pem").string();
    const std::string otherAuthority = (signedStartTls.Folder() / "ca.pem").string();

    struct TRow {
        const char* reason;
        const TCaptureServer& server;
        TTlsMode mode;
        std::string trusted; // the file of trusted roots
        std::string serverName;
        bool verify;
        std::string failure;
    };
    const TRow rows[] = {
        {"trusted issuer, its host name", signedImplicit, TTlsMode::tmImplicit, testAuthority, "localhost",
         true, "no failure"},
        {"trusted issuer, an address among the certificate's", signedImplicit, TTlsMode::tmImplicit,
         testAuthority, "127.0.0.1", true, "no failure"},
        {"host name compared without regard to case", signedImplicit, TTlsMode::tmImplicit, testAuthority,
         "LocalHost", true, "no failure"},
        {"trusted issuer, the certificate names another host", signedImplicit, TTlsMode::tmImplicit,
         testAuthority, "mail.example.org", true, refused + "hostname mismatch."},
        {"an address the certificate does not hold", signedImplicit, TTlsMode::tmImplicit, testAuthority,
         "127.0.0.2", true, refused + "IP address mismatch."},
        {"issuer not trusted", signedImplicit, TTlsMode::tmImplicit, (empty / "none.pem").string(),
         "localhost", true, refused + "unable to get local issuer certificate."},
        {"another authority of the same name is no issuer", signedImplicit, TTlsMode::tmImplicit,
         otherAuthority, "localhost", true, refused + "unable to get local issuer certificate."},
        {"self-signed server", selfSigned, TTlsMode::tmImplicit, testAuthority, "localhost", true,
         refused + "self-signed certificate."},
        {"after STARTTLS too", signedStartTls, TTlsMode::tmStartTls, testAuthority, "localhost", true,
         refused + "unable to get local issuer certificate."},
        {"STARTTLS with its own authority trusted", signedStartTls, TTlsMode::tmStartTls, otherAuthority,
         "localhost", true, "no failure"},
        {"without the policy, anything goes as before", selfSigned, TTlsMode::tmImplicit,
         (empty / "none.pem").string(), "mail.example.org", false, "no failure"},
    };
    const TEnvironment noFolder("SSL_CERT_DIR", empty.Path().string());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        const TEnvironment roots("SSL_CERT_FILE", row.trusted);
        EXPECT_EQ(SendOverTls(row.server, row.mode, row.serverName, row.verify), row.failure);
    }
}

} // namespace
} // namespace bramolt::mail::test
