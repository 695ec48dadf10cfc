// What a careless or hostile caller passes: address lists and attachment paths are checked
// before any connection, and what is accepted arrives exactly.
#include "fileout/InputFile.h"
#include "mail/MessageId.h"
#include "mail/Socket.h"
#include "tests/native/mail/MailTestSupport.h"
#include "text/Utf8.h"

#include <sys/stat.h>
#include <unistd.h>

namespace bramolt::mail::test {
namespace {

using Strings = std::vector<std::string>;

TEST(CheckedInput, AddressListsReachTheServerExactly)
{
    struct {
        const char* reason;
        std::u16string to, cc, bcc;
        Strings recipients; // empty: refused with `failure`
        std::string failure;
    } const cases[] = {
        {"separators, names and quoted commas", u"a@x.org; Ana <b@x.org>", u"\"Doe, John\" <c@x.org>",
         u"d@x.org", Strings{"a@x.org", "b@x.org", "c@x.org", "d@x.org"}, ""},
        {"empty entries are ignored", u"a@x.org; ; b@x.org;", u" , ", u";", Strings{"a@x.org", "b@x.org"},
         ""},
        {"a command after a line break",
         u"ok@example.org\r\nRCPT TO:<evil@example.org>",
         u"",
         u"",
         {},
         "Invalid e-mail address in To: \"ok@example.org\\r\\nRCPT TO:<evil@example.org>\""},
        {"a line break in a display name",
         u"Ok\r\nRCPT TO:<evil@example.org> <ok@example.org>",
         u"",
         u"",
         {},
         "Invalid e-mail address in To: \"Ok\\r\\nRCPT TO:<evil@example.org> <ok@example.org>\""},
        {"an SMTP parameter",
         u"",
         u"a@x.org> NOTIFY=NEVER",
         u"",
         {},
         "Invalid e-mail address in Cc: \"a@x.org> NOTIFY=NEVER\""},
        {"a NUL cuts nothing short",
         u"",
         u"",
         std::u16string(u"a@x.org\0evil@x.org", 18),
         {},
         "Invalid e-mail address in Bcc: \"a@x.org\\x00evil@x.org\""},
        {"a bad entry among good ones refuses the whole call",
         u"a@x.org, b@x.org",
         u"",
         u"c@x.org; d @x.org",
         {},
         "Invalid e-mail address in Bcc: \"d @x.org\""},
    };
    TCaptureServer server({"--login", "sender@example.org:pw"});
    const int closed = ClosedPort();
    int delivered = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        TMailCall call;
        call.Password = u"pw";
        call.To = c.to;
        call.Cc = c.cc;
        call.Bcc = c.bcc;
        if (c.recipients.empty()) {
            call.Port = closed;
            EXPECT_EQ(call.Failure(), c.failure);
            continue;
        }
        call.Port = server.Port();
        EXPECT_EQ(call.Failure(), "no failure");
        EXPECT_EQ(server.Message(++delivered).Values("rcpt"), c.recipients);
    }
}

TEST(CheckedInput, EveryAttachmentMustBeAReadableFile)
{
    TTestFolder files;
    WriteBytes(files / "a.pdf", "A");
    WriteBytes(files / "b.pdf", "B");
    WriteBytes(files / "locked.pdf", "L");
    std::filesystem::permissions(files / "locked.pdf", std::filesystem::perms::none);
    ::mkfifo((files / "pipe").c_str(), 0600);
    const auto path = [&](const char* name) { return text::FromUtf8((files / name).string()); };
    const auto quoted = [&](const char* name) { return "\"" + (files / name).string() + "\""; };

    struct {
        const char* reason;
        std::u16string list;
        std::string failure;
    } const cases[] = {
        {"a missing file", path("a.pdf") + u"|" + path("missing.pdf"),
         "Attachment not found: " + quoted("missing.pdf")},
        {"a missing folder on the way", path("none/a.pdf"), "Attachment not found: " + quoted("none/a.pdf")},
        {"a folder", path(""),
         "Attachment not readable: \"" + files.Path().string() + "/\". It is a folder."},
        {"a device", u"/dev/null", "Attachment not readable: \"/dev/null\". It is a device, not a file."},
        {"a named pipe, whose reading could wait forever", path("pipe"),
         "Attachment not readable: " + quoted("pipe") + ". It is a device, not a file."},
        {"a blank entry is a path like any other", u" |" + path("a.pdf"), "Attachment not found: \" \""},
        {"a file the process may not read", path("locked.pdf"),
         "Attachment not readable: " + quoted("locked.pdf") + ". Permission denied"},
    };
    const int closed = ClosedPort();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        if (::geteuid() == 0 && c.failure.ends_with("Permission denied"))
            continue; // the superuser reads every file
        TMailCall call;
        call.Port = closed;
        call.Attachments = c.list;
        EXPECT_EQ(call.Failure(), c.failure);
    }

    TCaptureServer server({"--login", "sender@example.org:pw"});
    TMailCall call;
    call.Password = u"pw";
    call.Port = server.Port();
    call.Attachments = path("a.pdf") + u"||" + path("b.pdf") + u"|";
    EXPECT_EQ(call.Failure(), "no failure");
    const auto attachments = server.Message(1).Rows("attachment");
    ASSERT_EQ(attachments.size(), 2u);
    EXPECT_EQ(attachments[0][0], "a.pdf");
    EXPECT_EQ(attachments[1][0], "b.pdf");
}

TEST(CheckedInput, LongHeaderTextsArriveFoldedAndWhole)
{
    TTestFolder files;
    // 244 bytes: as long as a Linux file name can be.
    const std::u16string longName = std::u16string(120, u'ñ') + u".pdf";
    WriteBytes(files / text::ToUtf8(longName), "content");
    TCaptureServer server({"--login", "sender@example.org:pw"});
    TMailCall call;
    call.Password = u"pw";
    call.Port = server.Port();
    call.Subject = std::u16string(1500, u'x');
    call.To = u"\"" + std::u16string(120, u'n') + u"\" <ana@example.org>";
    call.Attachments = text::FromUtf8((files.Path() / text::ToUtf8(longName)).string());
    EXPECT_EQ(call.Failure(), "no failure");
    const TCapturedMessage message = server.Message(1);
    EXPECT_LE(std::stoi(message.Value("longest_line")), 78);
    EXPECT_EQ(message.Values("defect"), Strings{});
    EXPECT_EQ(message.Field("Subject"), std::string(1500, 'x'));
    // Python's reader keeps the blanks between the encoded words of a display name, which
    // RFC 2047 (section 6.2) drops: only the letters are compared.
    std::string to = message.Field("To");
    std::erase(to, ' ');
    EXPECT_EQ(to, std::string(120, 'n') + "<ana@example.org>");
    const auto attachments = message.Rows("attachment");
    ASSERT_EQ(attachments.size(), 1u);
    EXPECT_EQ(attachments[0][0], text::ToUtf8(longName));
    EXPECT_NE(message.Field("Message-ID").find("@example.org>"), std::string::npos);
}

TEST(CheckedInput, MessageIdNamesTheSendersDomain)
{
    struct {
        const char* reason;
        std::string sender, host, domain;
    } const cases[] = {
        {"the sender's domain", "ana@example.org", "pc1", "example.org"},
        {"a quoted local part with an @", "\"a@b\"@example.org", "pc1", "example.org"},
        {"an address literal", "ana@[192.0.2.1]", "pc1", "[192.0.2.1]"},
        {"no sender: the host", "", "pc1.corp.example", "pc1.corp.example"},
        {"a domain beyond ASCII: the host", "ana@correo.españa", "pc1", "pc1"},
        {"neither usable: localhost", "", "PC uno", "localhost"},
    };
    for (const auto& c : cases) {
        const std::string id = NewMessageId(c.sender, c.host);
        ASSERT_EQ(id.size(), 1 + 32 + 1 + c.domain.size() + 1) << c.reason << ": " << id;
        EXPECT_EQ(id.substr(33), "@" + c.domain + ">") << c.reason;
        EXPECT_EQ(id.find_first_not_of("0123456789ABCDEF", 1), 33u) << c.reason << ": " << id;
    }
    EXPECT_NE(NewMessageId("a@x.org", ""), NewMessageId("a@x.org", ""));
}

TEST(CheckedInput, AddressesOfAHostShareTheConnectLimit)
{
    using std::chrono::milliseconds;
    const TDeadline now{};
    struct {
        const char* reason;
        TDeadline deadline;
        std::size_t attempts;
        TDeadline expected;
    } const cases[] = {
        {"one address takes it all", now + milliseconds(3000), 1, now + milliseconds(3000)},
        {"the first of two takes half", now + milliseconds(3000), 2, now + milliseconds(1500)},
        {"the first of three takes a third", now + milliseconds(3000), 3, now + milliseconds(1000)},
        {"a deadline already passed stays", now - milliseconds(5), 2, now - milliseconds(5)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShareOf(c.deadline, c.attempts, now), c.expected) << c.reason;
}

} // namespace
} // namespace bramolt::mail::test
