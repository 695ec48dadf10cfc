// Verification of the mail server's certificate, against real TLS servers whose certificates
// are made when the test runs: one issued by a test certificate authority for localhost and
// 127.0.0.1, one self-signed. Here the trusted roots are OpenSSL's default locations, which
// SSL_CERT_FILE and SSL_CERT_DIR point at the test's own files.
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
        EXPECT_EQ(SendThroughSession(row.server.Port(), row.mode, row.serverName, row.verify,
                                     {.Reply = std::chrono::milliseconds(10000)}),
                  row.failure);
    }
}

} // namespace
} // namespace bramolt::mail::test
