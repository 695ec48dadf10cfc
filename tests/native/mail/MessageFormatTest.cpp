// The pieces a message is made of, each against the rule it follows.
#include "fileout/Base64.h"
#include "mail/AddressList.h"
#include "mail/CutToken.h"
#include "mail/DeliverMail.h"
#include "mail/DotStuffer.h"
#include "mail/HeaderText.h"
#include "mail/MailDate.h"
#include "mail/MailMessage.h"
#include "mail/MediaType.h"
#include "mail/QuotedPrintable.h"
#include "text/Utf8.h"

#include <gtest/gtest.h>

#include <sstream>

namespace bramolt::mail {

// Found by GoogleTest next to the type, for readable failures.
void PrintTo(const TMailAddress& address, std::ostream* out)
{
    *out << '"' << text::ToUtf8(address.Name) << "\" <" << text::ToUtf8(address.Address) << '>';
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
        std::u16string text;
        L expected;
    } const cases[] = {
        {u"a@x.org; b@y.org", L{{u"", u"a@x.org"}, {u"", u"b@y.org"}}},
        {u"Ana Pérez <ana@x.org>, \"Doe, John\" <jd@y.org>",
         L{{u"Ana Pérez", u"ana@x.org"}, {u"Doe, John", u"jd@y.org"}}},
        // escapes inside quotes are undone; the comma inside quotes separates nothing
        {u"\"say \\\"hi\\\"\" <h@x.org>", L{{u"say \"hi\"", u"h@x.org"}}},
        // comments are dropped, also inside the address and nested
        {u"a@x.org (Ana (home)), <b(c)@y.org>", L{{u"", u"a@x.org"}, {u"", u"b@y.org"}}},
        // a group's name is dropped and its members kept
        {u"Team: a@x.org, b@y.org;, c@z.org", L{{u"", u"a@x.org"}, {u"", u"b@y.org"}, {u"", u"c@z.org"}}},
        {u"undisclosed-recipients:;", L{}},
        // empty entries and entries without an address vanish
        {u" , ;; a@x.org ,", L{{u"", u"a@x.org"}}},
        {u"Nobody <>", L{}},
        // separators inside angle brackets and domain literals split nothing
        {u"<@relay,@hop:a@x.org>, b@[1.2.3.4]", L{{u"", u"@relay,@hop:a@x.org"}, {u"", u"b@[1.2.3.4]"}}},
        // a quoted local part keeps its quotes
        {u"\"a b\"@x.org", L{{u"", u"\"a b\"@x.org"}}},
        // unterminated quotes and brackets run to the end instead of failing
        {u"\"Ana <a@x.org>", L{{u"", u"\"Ana <a@x.org>"}}},
        {u"Ana <a@x.org", L{{u"Ana", u"a@x.org"}}},
        // line breaks stay in the address, where delivery refuses them
        {u"a@x.org\r\nRSET", L{{u"", u"a@x.org\r\nRSET"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseAddressList(c.text), c.expected) << text::ToUtf8(c.text);
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

TEST(HeaderText, EncodedWordsHoldWholeCharactersAndDecodeBack)
{
    const std::string text = text::ToUtf8(u"Información 😀 ünïcödé ") + std::string(80, 'x') + "\xE2\x82\xAC";
    std::string decoded;
    for (const auto& word : EncodedWords(text)) {
        ASSERT_LE(word.size(), 75u);
        ASSERT_EQ(word.rfind("=?UTF-8?B?", 0), 0u);
        const std::string bytes = fileout::DecodeBase64Lenient(word.substr(10, word.size() - 12));
        EXPECT_EQ(text::ToUtf8(text::FromUtf8(bytes)), bytes) << "a word splits a character";
        decoded += bytes;
    }
    EXPECT_EQ(decoded, text);
}

TEST(HeaderText, FieldsFoldWithinTheLineLimitAndUnfoldToTheirText)
{
    std::u16string subject;
    for (int i = 0; i < 40; ++i)
        subject += u"word" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)) + u" ";
    subject += u"end";
    THeaderField field("Subject");
    AddUnstructured(field, subject);
    const std::string text = field.Text();
    std::string unfolded;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
        EXPECT_LE(end - at, 76u);
        unfolded += text.substr(at, end - at);
    }
    EXPECT_EQ(unfolded, "Subject: " + text::ToUtf8(subject));
}

TEST(HeaderText, MailboxesAreQuotedOrEncodedAndLineBreaksBecomeBlanks)
{
    struct {
        TMailAddress mailbox;
        std::string field;
    } const cases[] = {
        {{u"", u"a@x.org"}, "To: a@x.org\r\n"},
        {{u"Doe, \"J\\\"", u"a@x.org"}, "To: \"Doe, \\\"J\\\\\\\"\" <a@x.org>\r\n"},
        {{u"Ana\r\nBcc: x@y", u"a@x.org"}, "To: \"Ana  Bcc: x@y\" <a@x.org>\r\n"},
        {{u"Ó", u"a@x.org"}, "To: =?UTF-8?B?w5M=?= <a@x.org>\r\n"},
    };
    for (const auto& c : cases) {
        THeaderField field("To");
        AddMailbox(field, c.mailbox);
        EXPECT_EQ(field.Text(), c.field);
    }
    EXPECT_EQ(QuotedParameter(u"a \"b\".pdf"), "\"a \\\"b\\\".pdf\"");
    EXPECT_EQ(QuotedParameter(u"ñ.txt"), "\"=?UTF-8?B?w7EudHh0?=\"");
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
    EXPECT_EQ(MediaTypeOf(u"report.PDF"), "application/pdf");
    EXPECT_EQ(MediaTypeOf(u"photo.jpeg"), "image/jpeg");
    EXPECT_EQ(MediaTypeOf(u"archive.tar.gz"), "application/gzip");
    EXPECT_EQ(MediaTypeOf(u"mail.eml"), "application/octet-stream"); // message/* may not be Base64
    EXPECT_EQ(MediaTypeOf(u"noextension"), "application/octet-stream");
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
    message.From = TMailAddress{u"s@x.org", u"s@x.org"};
    message.To = {{u"", u"a@x.org"}};
    message.Subject = u"Hi";
    message.Body = u"<b>ó</b>";
    TStringSink sink;
    WriteMessage(message, "unused", "Mon, 5 Jan 2026 07:08:09 +0000", sink);
    EXPECT_EQ(sink.Text, "From: \"s@x.org\" <s@x.org>\r\n"
                         "Subject: Hi\r\n"
                         "To: a@x.org\r\n"
                         "MIME-Version: 1.0\r\n"
                         "Date: Mon, 5 Jan 2026 07:08:09 +0000\r\n"
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
        message.Attachments.push_back({u"d.bin", std::make_unique<std::istringstream>(bytes)});
        TStringSink sink;
        WriteMessage(message, "=_b", "date", sink);
        const std::string head = "Content-Disposition: attachment;\r\n\tfilename=\"d.bin\"\r\n\r\n";
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
