// The pieces a message is made of, each against the rule it follows.
#include "fileout/Base64.h"
#include "mail/AddressList.h"
#include "mail/CutToken.h"
#include "mail/DeliverMail.h"
#include "mail/DotStuffer.h"
#include "mail/HeaderText.h"
#include "mail/MailDate.h"
#include "mail/MailError.h"
#include "mail/MailMessage.h"
#include "mail/MediaType.h"
#include "mail/QuotedPrintable.h"
#include "text/Utf8.h"

#include "ExpectThrow.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

namespace bramolt::mail {

// Found by GoogleTest next to the type, for readable failures.
void PrintTo(const TMailAddress& address, std::ostream* out)
{
    *out << '"' << address.Name << "\" <" << address.Address << '>';
}

namespace {

class TStringSink : public TByteSink {
  public:
    void Write(std::string_view bytes) override { Text += bytes; }
    std::string Text;
};

TEST(CutToken, SplitsAttachmentListsAsWritten)
{
    struct {
        std::u16string list;
        std::vector<std::u16string> tokens;
    } const cases[] = {
        {u"a.pdf||b.pdf|", {u"a.pdf", u"", u"b.pdf"}}, // a trailing separator adds no token
        {u"|a", {u"", u"a"}},
        {u" a.pdf | b.pdf", {u" a.pdf ", u" b.pdf"}}, // blanks are kept
        {u"one", {u"one"}},
        {u"", {}},
    };
    for (const auto& c : cases) {
        std::u16string list = c.list;
        std::vector<std::u16string> tokens;
        while (!list.empty())
            tokens.push_back(CutToken(list, u"|"));
        EXPECT_EQ(tokens, c.tokens) << text::ToUtf8(c.list);
    }
}

TEST(AddressList, ReadsTheFormsPeopleWrite)
{
    using L = std::vector<TMailAddress>;
    struct {
        const char* reason;
        std::string text;
        L expected;
    } const cases[] = {
        {"both separators", "a@x.org; b@y.org", L{{"", "a@x.org"}, {"", "b@y.org"}}},
        {"display names, bare and quoted with a comma", "Ana Pérez <ana@x.org>, \"Doe, John\" <jd@y.org>",
         L{{"Ana Pérez", "ana@x.org"}, {"Doe, John", "jd@y.org"}}},
        {"escapes inside quotes are undone", "\"say \\\"hi\\\" @<>:;\" <h@x.org>",
         L{{"say \"hi\" @<>:;", "h@x.org"}}},
        {"comments around words and addresses are dropped", "a@x.org (Ana (home)), Bo (b) <b@y.org> (w)",
         L{{"", "a@x.org"}, {"Bo", "b@y.org"}}},
        {"empty entries between separators and at the ends", " , ;; a@x.org ; ; b@y.org;",
         L{{"", "a@x.org"}, {"", "b@y.org"}}},
        {"nothing at all", "", L{}},
        {"only blanks and separators", "  ;  ,  ", L{}},
        {"angle brackets without a name", "<a@x.org>", L{{"", "a@x.org"}}},
        {"dots in a display name", "John Q. Public <jq@x.org>", L{{"John Q. Public", "jq@x.org"}}},
        {"a quoted local part keeps its quotes", "\"a.b\"@x.org", L{{"", "\"a.b\"@x.org"}}},
        {"a domain literal", "b@[192.0.2.1]", L{{"", "b@[192.0.2.1]"}}},
        {"characters beyond ASCII in an address", "josé@correo.es", L{{"", "josé@correo.es"}}},
        {"an address of the longest length", std::string(64, 'l') + "@" + std::string(189, 'd'),
         L{{"", std::string(64, 'l') + "@" + std::string(189, 'd')}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseAddressList(c.text, "To"), c.expected) << c.reason;
}

TEST(AddressList, RefusesWhatCouldChangeTheRecipients)
{
    struct {
        const char* reason;
        std::string text;
        std::string shown; // the entry the error names
    } const cases[] = {
        {"a line break after an address smuggles a command", "ok@example.org\r\nRCPT TO:<evil@example.org>",
         "ok@example.org\\r\\nRCPT TO:<evil@example.org>"},
        {"a line break inside a display name", "Ana\r\nRCPT TO:<e@x.org> <a@x.org>",
         "Ana\\r\\nRCPT TO:<e@x.org> <a@x.org>"},
        {"an SMTP parameter after the address", "a@x.org> NOTIFY=NEVER", "a@x.org> NOTIFY=NEVER"},
        {"a NUL", std::string("a@x.org\0b", 9), "a@x.org\\x00b"},
        {"a TAB is a control too", "a@x.org,\tb@x.org", "\\tb@x.org"},
        {"a C1 control", "Ana\xC2\x85 <a@x.org>", "Ana\\u0085 <a@x.org>"},
        {"a control inside quotes", "\"A\nB\" <a@x.org>", "\"A\\nB\" <a@x.org>"},
        {"an unquoted @ in a display name", "ana@home <a@x.org>", "ana@home <a@x.org>"},
        {"an unquoted > in a display name", "Ana > <a@x.org>", "Ana > <a@x.org>"},
        {"an unquoted colon: groups are not taken", "Team: a@x.org", "Team: a@x.org"},
        {"an unquoted semicolon splits the name off", "Ana; <a@x.org>", "Ana"},
        {"a blank inside an address", "a b@x.org", "a b@x.org"},
        {"a blank inside angle brackets", "Ana <a@x.org >", "Ana <a@x.org >"},
        {"an empty address", "Nobody <>", "Nobody <>"},
        {"no @", "postmaster", "postmaster"},
        {"nothing after @", "a@", "a@"},
        {"a domain with an empty label", "a@x..org", "a@x..org"},
        {"text after the angle brackets", "Ana <a@x.org> extra", "Ana <a@x.org> extra"},
        {"two addresses without a separator", "<a@x.org> <b@x.org>", "<a@x.org> <b@x.org>"},
        {"an unterminated quote", "\"Ana <a@x.org>", "\"Ana <a@x.org>"},
        {"an unterminated comment", "a@x.org (note", "a@x.org (note"},
        {"an unterminated angle bracket", "Ana <a@x.org", "Ana <a@x.org"},
        {"a source route", "<@relay:a@x.org>", "<@relay:a@x.org>"},
        {"an address longer than an SMTP path", std::string(64, 'l') + "@" + std::string(190, 'd'),
         std::string(64, 'l') + "@" + std::string(135, 'd') + "..."},
        {"the bad entry is named, not its neighbours", "a@x.org, b c@x.org; d@x.org", "b c@x.org"},
        {"a > in a quoted local part would end the SMTP path", "\"a>b\"@x.org", "\"a>b\"@x.org"},
        {"an escaped > in a quoted local part", "\"a\\>\"@x.org", "\"a\\>\"@x.org"},
        {"a < in a domain literal", "x@[IPv<6:::1]", "x@[IPv<6:::1]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(bramolt::test::ThrownMessage<EMailError>([&] { ParseAddressList(c.text, "Cc"); }),
                  "Invalid e-mail address in Cc: \"" + c.shown + "\"")
            << c.reason;
}

TEST(AddressList, SenderIsOneMailbox)
{
    EXPECT_EQ(ParseMailbox("  s@x.org ", "UserName"), (TMailAddress{"", "s@x.org"}));
    EXPECT_EQ(ParseMailbox("Ana <s@x.org>", "UserName"), (TMailAddress{"Ana", "s@x.org"}));
    EXPECT_EQ(ParseMailbox("", "UserName"), std::nullopt);
    EXPECT_EQ(ParseMailbox("   ", "UserName"), std::nullopt);
    for (const std::string text : {"a@x.org, b@x.org", "a@x.org;", "s@x.org\nDATA", "s@x.org> SIZE=1"})
        EXPECT_THROW(ParseMailbox(text, "UserName"), EMailError) << text;
}

TEST(QuotedPrintable, EncodesTextForSevenBitTransport)
{
    struct {
        std::string text;
        std::string encoded;
    } const cases[] = {
        {"caf\xC3\xA9 = ok", "caf=C3=A9 =3D ok"},
        {"a\r\nb\nc\rd", "a\r\nb\r\nc\r\nd"},         // every line break becomes CR LF
        {"end \r\ntab\t", "end=20\r\ntab=09"},        // blanks before a line end are encoded
        {".dot\r\n", ".dot\r\n"},                     // dot-stuffing is the DATA stage's job
        {std::string(76, 'x'), std::string(76, 'x')}, // a line may use all 76 columns
        {std::string(77, 'x'), std::string(75, 'x') + "=\r\nxx"},
        // a soft break never splits an escape
        {std::string(74, 'x') + "\xC3\xA9", std::string(74, 'x') + "=\r\n=C3=A9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EncodeQuotedPrintable(c.text), c.encoded) << c.text;

    std::string longText;
    for (int i = 0; i < 300; ++i)
        longText += i % 7 == 0 ? "\xE2\x82\xAC" : "a ";
    std::istringstream lines(EncodeQuotedPrintable(longText));
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 77u) << line; // 76 and the CR
}

// The lines of a field without their CR LF.
std::vector<std::string> Lines(const std::string& field)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = field.find("\r\n", at)) != std::string::npos; at = end + 2)
        lines.push_back(field.substr(at, end - at));
    return lines;
}

// The field's value unfolded, its encoded words decoded (blanks between two of them dropped,
// RFC 2047 section 6.2); each word must decode to whole characters on its own.
std::string DecodedValue(const std::string& field)
{
    std::string value;
    for (const auto& line : Lines(field))
        value += line;
    value = value.substr(value.find(": ") + 2);
    const std::string open = "=?UTF-8?B?";
    std::string decoded;
    bool afterWord = false;
    std::size_t at = 0;
    for (std::size_t word; (word = value.find(open, at)) != std::string::npos;) {
        const std::string between = value.substr(at, word - at);
        if (!afterWord || between.find_first_not_of(' ') != std::string::npos)
            decoded += between;
        const std::size_t end = value.find("?=", word + open.size());
        EXPECT_LE(end + 2 - word, 75u) << "encoded word too long";
        const std::string bytes =
            fileout::DecodeBase64Lenient(value.substr(word + open.size(), end - word - open.size()));
        EXPECT_EQ(text::ToUtf8(text::FromUtf8(bytes)), bytes) << "an encoded word splits a character";
        decoded += bytes;
        at = end + 2;
        afterWord = true;
    }
    return decoded + value.substr(at);
}

TEST(HeaderText, LinesFoldWithinTheLimitsAndDecodeToTheirText)
{
    const std::string words = [] {
        std::string text;
        for (int i = 0; i < 40; ++i)
            text += "word" + std::string(1, static_cast<char>('a' + i % 26)) + " ";
        return text + "end";
    }();
    std::string accents, emoji;
    for (int i = 0; i < 600; ++i)
        accents += "\xC3\xA9"; // é
    for (int i = 0; i < 300; ++i)
        emoji += "\xF0\x9F\x98\x80";
    const std::string longAddress = std::string(64, 'l') + "@" + std::string(189, 'd');
    std::string longFileName;
    for (int i = 0; i < 250; ++i)
        longFileName += "\xC3\xB1"; // ñ
    longFileName += ".pdf";

    struct {
        const char* reason;
        std::function<std::string()> field;
        std::string value; // decoded
        bool foldable;     // every line within 78 characters
    } const cases[] = {
        {"a 1,500-character subject without blanks becomes encoded words",
         [] {
             THeaderField f("Subject");
             AddUnstructured(f, std::string(1500, 'x'));
             return f.Text();
         },
         std::string(1500, 'x'), true},
        {"a subject of short words folds at its own blanks",
         [&] {
             THeaderField f("Subject");
             AddUnstructured(f, words);
             return f.Text();
         },
         words, true},
        {"two-byte characters are never split",
         [&] {
             THeaderField f("Subject");
             AddUnstructured(f, accents);
             return f.Text();
         },
         accents, true},
        {"four-byte characters are never split",
         [&] {
             THeaderField f("Subject");
             AddUnstructured(f, emoji);
             return f.Text();
         },
         emoji, true},
        {"text that looks like an encoded word is encoded itself",
         [] {
             THeaderField f("Subject");
             AddUnstructured(f, "=?UTF-8?B?QQ==?=");
             return f.Text();
         },
         "=?UTF-8?B?QQ==?=", true},
        {"line breaks in a subject become blanks",
         [] {
             THeaderField f("Subject");
             AddUnstructured(f, "a\r\nBcc: x@y.org");
             return f.Text();
         },
         "a  Bcc: x@y.org", true},
        {"a display name too long for a line becomes encoded words",
         [] {
             THeaderField f("To");
             AddMailbox(f, {std::string(100, 'n'), "a@x.org"});
             return f.Text();
         },
         std::string(100, 'n') + " <a@x.org>", true},
        {"many recipients fold between mailboxes",
         [] {
             THeaderField f("To");
             AddMailboxList(f, std::vector<TMailAddress>(30, TMailAddress{"Ana", "ana@example.org"}));
             return f.Text();
         },
         [] {
             std::string list;
             for (int i = 0; i < 30; ++i)
                 list += (i ? ", " : "") + std::string("\"Ana\" <ana@example.org>");
             return list;
         }(),
         true},
        {"the longest address stays whole on a line of its own",
         [&] {
             THeaderField f("To");
             AddMailboxList(f, {{"", "a@x.org"}, {"", longAddress}});
             return f.Text();
         },
         "a@x.org, " + longAddress, false},
        {"a long file name folds between encoded words inside the quotes",
         [&] {
             THeaderField f("Content-Disposition");
             f.Add("attachment");
             AddParameter(f, "filename", longFileName);
             return f.Text();
         },
         "attachment; filename=\"" + longFileName + "\"", true},
        {"a long ASCII file name too",
         [] {
             THeaderField f("Content-Type");
             f.Add("application/pdf");
             AddParameter(f, "name", std::string(200, 'f') + ".pdf");
             return f.Text();
         },
         "application/pdf; name=\"" + std::string(200, 'f') + ".pdf\"", true},
        {"a short file name stays a quoted string",
         [] {
             THeaderField f("Content-Type");
             f.Add("application/pdf");
             AddParameter(f, "name", "a \"b\".pdf");
             return f.Text();
         },
         "application/pdf; name=\"a \\\"b\\\".pdf\"", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        const std::string field = c.field();
        for (const auto& line : Lines(field)) {
            EXPECT_LE(line.size(), c.foldable ? 78u : 998u) << line;
            EXPECT_NE(line.find_first_not_of(' '), std::string::npos) << "a line of blanks only";
        }
        EXPECT_EQ(DecodedValue(field), c.value);
    }
}

TEST(HeaderText, MailboxesAreQuotedOrEncoded)
{
    struct {
        TMailAddress mailbox;
        std::string field;
    } const cases[] = {
        {{"", "a@x.org"}, "To: a@x.org\r\n"},
        {{"Doe, \"J\\", "a@x.org"}, "To: \"Doe, \\\"J\\\\\" <a@x.org>\r\n"},
        {{"Ó", "a@x.org"}, "To: =?UTF-8?B?w5M=?= <a@x.org>\r\n"},
    };
    for (const auto& c : cases) {
        THeaderField field("To");
        AddMailbox(field, c.mailbox);
        EXPECT_EQ(field.Text(), c.field);
    }
}

TEST(MailDate, FormatsTheDateTimeOfInternetMessages)
{
    std::tm local{};
    local.tm_year = 2026 - 1900;
    local.tm_mon = 0;
    local.tm_mday = 5;
    local.tm_wday = 1;
    local.tm_hour = 7;
    local.tm_min = 8;
    local.tm_sec = 9;
    EXPECT_EQ(FormatMailDate(local, 60), "Mon, 5 Jan 2026 07:08:09 +0100");
    EXPECT_EQ(FormatMailDate(local, -210), "Mon, 5 Jan 2026 07:08:09 -0330");
    EXPECT_EQ(FormatMailDate(local, 0), "Mon, 5 Jan 2026 07:08:09 +0000");
}

TEST(MediaType, FollowsTheExtensionIgnoringCase)
{
    EXPECT_EQ(MediaTypeOf("report.PDF"), "application/pdf");
    EXPECT_EQ(MediaTypeOf("photo.jpeg"), "image/jpeg");
    EXPECT_EQ(MediaTypeOf("archive.tar.gz"), "application/gzip");
    EXPECT_EQ(MediaTypeOf("mail.eml"), "application/octet-stream"); // message/* may not be Base64
    EXPECT_EQ(MediaTypeOf("noextension"), "application/octet-stream");
}

TEST(DotStuffer, DoublesLeadingDotsAcrossWriteBoundaries)
{
    struct {
        std::vector<std::string> writes;
        std::string sent;
    } const cases[] = {
        {{".a\r\n..b\r\nc.d\r\n"}, "..a\r\n...b\r\nc.d\r\n.\r\n"},
        {{"x\r\n", ".", "y\r", "\n.", "\r\n"}, "x\r\n..y\r\n..\r\n.\r\n"},
        {{"open line"}, "open line\r\n.\r\n"}, // the last line is ended before the "."
        {{"."}, "..\r\n.\r\n"},
    };
    for (const auto& c : cases) {
        TStringSink sink;
        TDotStuffer stuffer(sink);
        for (const auto& write : c.writes)
            stuffer.Write(write);
        stuffer.Finish();
        EXPECT_EQ(sink.Text, c.sent);
    }
}

TEST(MailMessage, SinglePartMessageHasItsFieldsInOrder)
{
    TMailMessage message;
    message.From = TMailAddress{"s@x.org", "s@x.org"};
    message.To = {{"", "a@x.org"}};
    message.Subject = "Hi";
    message.Body = "<b>ó</b>";
    message.MessageId = "<1A@x.org>";
    TStringSink sink;
    WriteMessage(message, "unused", "Mon, 5 Jan 2026 07:08:09 +0000", sink);
    EXPECT_EQ(sink.Text, "From: \"s@x.org\" <s@x.org>\r\n"
                         "Subject: Hi\r\n"
                         "To: a@x.org\r\n"
                         "MIME-Version: 1.0\r\n"
                         "Date: Mon, 5 Jan 2026 07:08:09 +0000\r\n"
                         "Message-ID: <1A@x.org>\r\n"
                         "Content-Type: text/html; charset=utf-8\r\n"
                         "Content-Transfer-Encoding: quoted-printable\r\n"
                         "Content-Disposition: inline\r\n"
                         "\r\n"
                         "<b>=C3=B3</b>\r\n");
}

TEST(MailMessage, AttachmentsStreamInBase64LinesWhateverTheirSize)
{
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{57}, std::size_t{57 * 2048},
                                   std::size_t{57 * 2048 + 5}, std::size_t{300001}}) {
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i * 131 + i / 7);
        TMailMessage message;
        message.Attachments.push_back({"d.bin", std::make_unique<std::istringstream>(bytes)});
        TStringSink sink;
        WriteMessage(message, "=_b", "date", sink);
        const std::string head = "Content-Disposition: attachment; filename=\"d.bin\"\r\n\r\n";
        const std::size_t start = sink.Text.find(head) + head.size();
        const std::size_t end = sink.Text.rfind("--=_b--\r\n");
        const std::string encoded = sink.Text.substr(start, end - start);
        EXPECT_EQ(fileout::DecodeBase64Lenient(encoded), bytes) << size;
        const std::string expected = fileout::EncodeBase64Lines(bytes);
        EXPECT_EQ(encoded, expected.empty() || expected.ends_with("\r\n") ? expected : expected + "\r\n")
            << size;
    }
}

TEST(TlsModeFor, ImplicitTlsOnlyOnPort465)
{
    EXPECT_EQ(TlsModeFor(false, 465), TTlsMode::tmNone);
    EXPECT_EQ(TlsModeFor(true, 465), TTlsMode::tmImplicit);
    EXPECT_EQ(TlsModeFor(true, 587), TTlsMode::tmStartTls); // the submission port stays as given
    EXPECT_EQ(TlsModeFor(true, 25), TTlsMode::tmStartTls);
    EXPECT_EQ(TlsModeFor(true, 2525), TTlsMode::tmStartTls);
}

} // namespace
} // namespace bramolt::mail
