// Whole deliveries to a real SMTP server on this computer, each message read back with an
// independent MIME parser; and the ways a connection fails.
#include "mail/DotStuffer.h"
#include "mail/MailError.h"
#include "mail/OpenSsl.h"
#include "mail/SmtpSession.h"
#include "mail/Socket.h"
#include "tests/native/mail/MailTestSupport.h"
#include "text/Utf8.h"

#include <random>

namespace bramolt::mail::test {
namespace {

using Strings = std::vector<std::string>;

std::string RandomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (auto& byte : bytes)
        byte = static_cast<char>(generator());
    return bytes;
}

std::u16string Wide(const std::filesystem::path& path)
{
    return text::FromUtf8(path.string());
}

TEST(Delivery, MessageArrivesAsComposed)
{
    TCaptureServer server({"--login", "sender@example.org:s3cret"});
    TTestFolder files;
    const std::string report = RandomBytes(100000, 1);
    const std::string tiny = RandomBytes(58, 2);
    WriteBytes(files / "report.pdf", report);
    WriteBytes(files / "año ñ.bin", tiny);

    TMailCall call;
    call.Port = server.Port();
    call.Password = u"s3cret";
    call.To = u"Ana Pérez <ana@example.org>; bob@example.org";
    call.Cc = u"\"Doe, John\" <jd@example.org>";
    call.Bcc = u"hidden@example.org";
    call.Subject = u"Informe anual — ñandú 😀";
    call.Body = u"<p>Canción: ó €</p>\r\n.line\r\n" + std::u16string(200, u'x');
    call.Attachments = Wide(files / "report.pdf") + u"||" + Wide(files / "año ñ.bin") + u"|";
    EXPECT_EQ(call.Failure(), "no failure");

    const TCapturedMessage message = server.Message(1);
    EXPECT_EQ(message.Value("mail_from"), "sender@example.org");
    EXPECT_EQ(message.Values("rcpt"),
              (Strings{"ana@example.org", "bob@example.org", "jd@example.org", "hidden@example.org"}));
    EXPECT_EQ(message.Value("login"), "sender@example.org");
    EXPECT_EQ(message.FieldNames(),
              (Strings{"From", "Subject", "To", "Cc", "Content-Type", "MIME-Version", "Date", "Message-ID"}));
    EXPECT_EQ(message.Field("From"), "\"sender@example.org\" <sender@example.org>");
    EXPECT_EQ(message.Field("Subject"), "Informe anual — ñandú 😀");
    EXPECT_EQ(message.Field("To"), "Ana Pérez <ana@example.org>, bob@example.org");
    EXPECT_EQ(message.Field("Cc"), "\"Doe, John\" <jd@example.org>");
    EXPECT_EQ(message.Value("content_type"), "multipart/mixed");
    EXPECT_EQ(message.Values("defect"), Strings{});
    EXPECT_LE(std::stoi(message.Value("longest_line")), 78);
    EXPECT_EQ(message.Value("bare_line_feeds"), "0");

    EXPECT_EQ(message.Value("body_type"), "text/html");
    EXPECT_EQ(message.Value("body_charset"), "utf-8");
    // The line break before a boundary belongs to the boundary (RFC 2046 section 5.1.1).
    EXPECT_EQ(message.Value("body"), text::ToUtf8(call.Body));

    const auto attachments = message.Rows("attachment");
    ASSERT_EQ(attachments.size(), 2u);
    EXPECT_EQ(attachments[0], (Strings{"report.pdf", "application/pdf", "1-0.bin"}));
    EXPECT_EQ(attachments[1], (Strings{"año ñ.bin", "application/octet-stream", "1-1.bin"}));
    EXPECT_EQ(ReadBytes(server.Folder() / "1-0.bin"), report);
    EXPECT_EQ(ReadBytes(server.Folder() / "1-1.bin"), tiny);
}

TEST(Delivery, WithoutAttachmentsOrSenderTheMessageIsOnePart)
{
    TCaptureServer server;
    TMailCall call;
    call.Port = server.Port();
    call.UserName = u"";
    call.Subject = u"";
    call.Attachments = u"||";
    EXPECT_EQ(call.Failure(), "no failure");

    const TCapturedMessage message = server.Message(1);
    EXPECT_EQ(message.Value("mail_from"), "<>");
    EXPECT_EQ(message.FieldNames(), (Strings{"To", "MIME-Version", "Date", "Message-ID", "Content-Type",
                                             "Content-Transfer-Encoding", "Content-Disposition"}));
    // Without a sender the domain is this computer's.
    EXPECT_NE(message.Field("Message-ID").find("@"), std::string::npos);
    EXPECT_EQ(message.Value("content_type"), "text/html");
    EXPECT_EQ(message.Value("body"), "<p>Hello</p>\r\n");
}

TEST(Delivery, StartTlsThenLogin)
{
    TCaptureServer server({"--tls", "starttls", "--login", "sender@example.org:pw"});
    TMailCall call;
    call.Port = server.Port();
    call.UseTls = true;
    call.Password = u"pw";
    EXPECT_EQ(call.Failure(), "no failure");
    const TCapturedMessage message = server.Message(1);
    EXPECT_EQ(message.Value("tls"), "1");
    EXPECT_EQ(message.Value("login"), "sender@example.org");

    call.Password = u"wrong";
    EXPECT_EQ(call.Failure(), "5.7.8 Authentication credentials invalid");
    EXPECT_FALSE(server.HasMessage(2));
}

TEST(Delivery, SignsInWithTheMechanismTheServerOffers)
{
    struct TRow {
        const char* reason;
        std::vector<std::string> server;
        std::u16string password;
        std::string failure;   // empty: delivered
        std::string mechanism; // the server's record of the sign-in
    };
    const std::vector<std::string> login{"--login", "sender@example.org:pw"};
    const std::vector<std::string> token{"--oauth", "sender@example.org:eyJ0.eyJz.c2ln-_~+/=="};
    const auto without = [](std::vector<std::string> options, const char* mechanism) {
        options.insert(options.end(), {"--exclude", mechanism});
        return options;
    };
    const TRow rows[] = {
        {"LOGIN first", login, u"pw", "", "LOGIN"},
        {"PLAIN where LOGIN is not offered", without(login, "LOGIN"), u"pw", "", "PLAIN"},
        {"PLAIN with a wrong password", without(login, "LOGIN"), u"nope",
         "5.7.8 Authentication credentials invalid", ""},
        {"XOAUTH2 for an access token", token, u"Bearer eyJ0.eyJz.c2ln-_~+/==", "", "XOAUTH2"},
        {"OAUTHBEARER where XOAUTH2 is not offered", without(token, "XOAUTH2"),
         u"Bearer eyJ0.eyJz.c2ln-_~+/==", "", "OAUTHBEARER"},
        {"XOAUTH2 with an expired token", token, u"Bearer old", "5.7.8 Token refused for sender@example.org",
         ""},
        {"OAUTHBEARER with an expired token", without(token, "XOAUTH2"), u"Bearer old",
         "5.7.8 Token refused for sender@example.org", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        TCaptureServer server(row.server);
        TMailCall call;
        call.Port = server.Port();
        call.Password = row.password;
        EXPECT_EQ(call.Failure(), row.failure.empty() ? "no failure" : row.failure);
        EXPECT_EQ(server.HasMessage(1), row.failure.empty());
        if (row.failure.empty()) {
            EXPECT_EQ(server.Message(1).Value("mechanism"), row.mechanism);
            EXPECT_EQ(server.Message(1).Value("login"), "sender@example.org");
        }
    }
}

// Port 465 selects implicit TLS (TlsModeFor); here the same dialogue runs against an
// implicit-TLS server on a free port.
TEST(Delivery, ImplicitTlsFromTheFirstByte)
{
    TCaptureServer server({"--tls", "implicit"});
    EXPECT_EQ(SendThroughSession(server.Port(), TTlsMode::tmImplicit, "localhost", false,
                                 {.Reply = std::chrono::milliseconds(10000)}),
              "no failure");
    const TCapturedMessage message = server.Message(1);
    EXPECT_EQ(message.Value("tls"), "1");
    EXPECT_EQ(message.Values("rcpt"), Strings{"r@example.org"});
    EXPECT_EQ(message.Field("Subject"), "over TLS");
}

TEST(Delivery, TlsHandshakeWithAPlainServerFails)
{
    TScriptedPeer peer("220 plain only\n250-peer\\n250 STARTTLS\n220 go ahead\n@silent\n");
    TMailCall call;
    call.Port = peer.Port();
    call.UseTls = true;
    call.Limits.Reply = std::chrono::milliseconds(1000);
    EXPECT_EQ(call.Failure(), "SSL negotiation failed.");
}

TEST(Delivery, RefusedBeforeAnythingIsSent)
{
    const int closed = ClosedPort();
    struct {
        const char* name;
        std::function<void(TMailCall&)> setUp;
        std::string failure;
    } const cases[] = {
        {"empty host", [](TMailCall& c) { c.Server = u""; }, "A Host is required"},
        {"port 0", [](TMailCall& c) { c.Port = 0; }, "A Port is required"},
        {"port whose low 16 bits are 0", [](TMailCall& c) { c.Port = 65536; }, "A Port is required"},
        {"nothing listening", [&](TMailCall& c) { c.Port = closed; },
         "Socket Error # 111\r\nConnection refused"},
        {"line break in a recipient", [&](TMailCall& c) { c.Bcc = u"x@y.org\r\nRSET"; },
         "Invalid e-mail address in Bcc: \"x@y.org\\r\\nRSET\""},
        {"line break in the sender", [&](TMailCall& c) { c.UserName = u"s@x.org\nDATA"; },
         "Invalid e-mail address in UserName: \"s@x.org\\nDATA\""},
        {"a parameter smuggled into the sender", [&](TMailCall& c) { c.UserName = u"s@x.org> SIZE=1"; },
         "Invalid e-mail address in UserName: \"s@x.org> SIZE=1\""},
        {"a missing attachment", [&](TMailCall& c) { c.Attachments = u"/nonexistent/file.pdf"; },
         "Attachment not found: \"/nonexistent/file.pdf\""},
    };
    for (const auto& c : cases) {
        TMailCall call;
        call.Port = closed;
        c.setUp(call);
        EXPECT_EQ(call.Failure(), c.failure) << c.name;
    }

    TMailCall unresolvable;
    unresolvable.Server = u"no-such-host.invalid";
    unresolvable.Port = 25;
    EXPECT_EQ(unresolvable.Failure().rfind("Socket Error # ", 0), 0u) << unresolvable.Failure();
}

TEST(Delivery, FailuresWhileConnectingAndInTheDialogueAreMailErrors)
{
    TMailCall call;
    call.Port = ClosedPort();
    EXPECT_THROW(call.Deliver(), EMailError);

    TScriptedPeer peer("554 no\n");
    call.Port = peer.Port();
    EXPECT_THROW(call.Deliver(), EMailError);
}

} // namespace
} // namespace bramolt::mail::test
