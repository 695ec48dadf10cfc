// The SMTP dialogue against a scripted peer: what the client sends, byte for byte, for the
// turns a real server rarely takes.
#include "mail/Socket.h"
#include "tests/native/mail/MailTestSupport.h"

#include <functional>

namespace bramolt::mail::test {
namespace {

// The transcript with the message itself (it holds a date and a boundary) shown as
// "<message>", and "{H}" for this computer's name.
std::string Normalised(std::string transcript)
{
    const std::size_t data = transcript.find("DATA\r\n");
    if (data != std::string::npos) {
        const std::size_t end = transcript.find("\r\n.\r\n", data);
        if (end != std::string::npos)
            transcript.replace(data + 6, end - data - 6, "<message>");
    }
    const std::string host = LocalHostName();
    for (std::size_t at; (at = transcript.find(host)) != std::string::npos;)
        transcript.replace(at, host.size(), "{H}");
    return transcript;
}

std::string Replies(std::initializer_list<const char*> replies)
{
    std::string script;
    for (const char* reply : replies)
        script += std::string(reply) + "\n";
    return script;
}

struct TDialogue {
    const char* name;
    std::string replies;
    std::function<void(TMailCall&)> setUp;
    std::string transcript;
    std::string failure; // empty: the delivery succeeds
};

const std::string kSend = "DATA\r\n<message>\r\n.\r\nQUIT\r\n";
const std::string kSenderToAna = "MAIL FROM:<sender@example.org>\r\nRCPT TO:<ana@example.org>\r\n";

const auto kPlain = [](TMailCall&) {};

TEST(SmtpDialogue, FollowsTheScriptedServer)
{
    const TDialogue dialogues[] = {
        {"only PLAIN offered: PLAIN with its initial response",
         Replies({"220 peer", "250-peer\\n250-AUTH PLAIN\\n250 8BITMIME", "235 ok", "250 ok", "250 ok",
                  "354 go", "250 queued", "221 bye"}),
         [](TMailCall& c) { c.Password = u"pw"; },
         "EHLO {H}\r\nAUTH PLAIN AHNlbmRlckBleGFtcGxlLm9yZwBwdw==\r\n" + kSenderToAna + kSend, ""},
        {"PLAIN answered by an empty challenge: the same message on its own line",
         Replies({"220 peer", "250-peer\\n250 AUTH=PLAIN", "334 ", "235 ok", "250 ok", "250 ok", "354 go",
                  "250 queued", "221 bye"}),
         [](TMailCall& c) { c.Password = u"pw"; },
         "EHLO {H}\r\nAUTH PLAIN AHNlbmRlckBleGFtcGxlLm9yZwBwdw==\r\nAHNlbmRlckBleGFtcGxlLm9yZwBwdw==\r\n" +
             kSenderToAna + kSend,
         ""},
        {"PLAIN refused: the server's text",
         Replies({"220 peer", "250-peer\\n250 AUTH PLAIN", "535 5.7.8 bad credentials"}),
         [](TMailCall& c) { c.Password = u"pw"; },
         "EHLO {H}\r\nAUTH PLAIN AHNlbmRlckBleGFtcGxlLm9yZwBwdw==\r\n", "5.7.8 bad credentials"},
        {"a second empty challenge is no request to repeat: PLAIN is cancelled",
         Replies({"220 peer", "250-peer\\n250 AUTH PLAIN", "334 ", "334", "501 5.7.0 cancelled"}),
         [](TMailCall& c) { c.Password = u"pw"; },
         "EHLO {H}\r\nAUTH PLAIN "
         "AHNlbmRlckBleGFtcGxlLm9yZwBwdw==\r\nAHNlbmRlckBleGFtcGxlLm9yZwBwdw==\r\n*\r\n",
         "5.7.0 cancelled"},
        {"access token, XOAUTH2 offered beside LOGIN: XOAUTH2",
         Replies({"220 peer", "250-peer\\n250 AUTH LOGIN PLAIN XOAUTH2 OAUTHBEARER", "235 ok", "250 ok",
                  "250 ok", "354 go", "250 queued", "221 bye"}),
         [](TMailCall& c) {
             c.UserName = u"alice@example.org";
             c.Password = u"Bearer abc.def.ghi";
         },
         "EHLO {H}\r\nAUTH XOAUTH2 dXNlcj1hbGljZUBleGFtcGxlLm9yZwFhdXRoPUJlYXJlciBhYmMuZGVmLmdoaQEB\r\n"
         "MAIL FROM:<alice@example.org>\r\nRCPT TO:<ana@example.org>\r\n" +
             kSend,
         ""},
        {"XOAUTH2 refused with an error challenge: an empty line, then the refusal's text",
         Replies({"220 peer", "250-peer\\n250 AUTH XOAUTH2", "334 eyJzdGF0dXMiOiI0MDEifQ==",
                  "535-5.7.8 Username and Password not accepted.\\n535 5.7.8 Learn more", "221 bye"}),
         [](TMailCall& c) {
             c.UserName = u"alice@example.org";
             c.Password = u"Bearer abc.def.ghi";
         },
         "EHLO {H}\r\nAUTH XOAUTH2 dXNlcj1hbGljZUBleGFtcGxlLm9yZwFhdXRoPUJlYXJlciBhYmMuZGVmLmdoaQEB\r\n\r\n",
         "5.7.8 Username and Password not accepted.\r\n5.7.8 Learn more"},
        {"XOAUTH2 refused at once",
         Replies({"220 peer", "250-peer\\n250 AUTH LOGIN XOAUTH2", "535 5.7.3 nope"}),
         [](TMailCall& c) {
             c.UserName = u"alice@example.org";
             c.Password = u"Bearer abc.def.ghi";
         },
         "EHLO {H}\r\nAUTH XOAUTH2 dXNlcj1hbGljZUBleGFtcGxlLm9yZwFhdXRoPUJlYXJlciBhYmMuZGVmLmdoaQEB\r\n",
         "5.7.3 nope"},
        {"only OAUTHBEARER offered: OAUTHBEARER; refused, acknowledged with ^A",
         Replies({"220 peer", "250-peer\\n250 AUTH PLAIN OAUTHBEARER",
                  "334 eyJzdGF0dXMiOiI0MDEifQ==", "535 5.7.8 token expired"}),
         [](TMailCall& c) {
             c.UserName = u"alice@example.org";
             c.Password = u"Bearer abc.def.ghi";
         },
         "EHLO {H}\r\nAUTH OAUTHBEARER {OAUTHBEARER}\r\nAQ==\r\n", "5.7.8 token expired"},
        {"access token but no OAuth mechanism: no AUTH, the password mechanisms unused",
         Replies({"220 peer", "250-peer\\n250 AUTH LOGIN PLAIN", "250 ok", "250 ok", "354 go", "250 queued",
                  "221 bye"}),
         [](TMailCall& c) { c.Password = u"Bearer abc"; }, "EHLO {H}\r\n" + kSenderToAna + kSend, ""},
        {"password but only XOAUTH2 offered: no AUTH",
         Replies({"220 peer", "250-peer\\n250 AUTH XOAUTH2", "250 ok", "250 ok", "354 go", "250 queued",
                  "221 bye"}),
         [](TMailCall& c) { c.Password = u"pw"; }, "EHLO {H}\r\n" + kSenderToAna + kSend, ""},
        {"a token too long for the command line follows the empty challenge",
         Replies({"220 peer", "250-peer\\n250 AUTH XOAUTH2", "334 ", "235 ok", "250 ok", "250 ok", "354 go",
                  "250 queued", "221 bye"}),
         [](TMailCall& c) {
             c.UserName = u"a@x.org";
             c.Password = u"Bearer " + std::u16string(9200, u'T');
         },
         "EHLO {H}\r\nAUTH XOAUTH2\r\n" +
             Base64("user=a@x.org\x01"
                    "auth=Bearer " +
                    std::string(9200, 'T') + "\x01\x01") +
             "\r\nMAIL FROM:<a@x.org>\r\nRCPT TO:<ana@example.org>\r\n" + kSend,
         ""},
        {"AUTH LOGIN in two steps",
         Replies({"220 peer", "250-peer\\n250 AUTH PLAIN LOGIN", "334 VXNlcm5hbWU6", "334 UGFzc3dvcmQ6",
                  "235 ok", "250 ok", "250 ok", "354 go", "250 queued", "221 bye"}),
         [](TMailCall& c) {
             c.UserName = u"s@x.org";
             c.Password = u"pw";
         },
         "EHLO {H}\r\nAUTH LOGIN\r\nc0B4Lm9yZw==\r\ncHc=\r\nMAIL FROM:<s@x.org>\r\nRCPT "
         "TO:<ana@example.org>\r\n" +
             kSend,
         ""},
        {"AUTH=LOGIN of old servers, done after the user name",
         Replies({"220 peer", "250-peer\\n250 auth=login", "334 x", "235 ok", "250 ok", "250 ok", "354 go",
                  "250 queued", "221 bye"}),
         [](TMailCall& c) { c.UserName = u" s@x.org "; },
         "EHLO {H}\r\nAUTH LOGIN\r\nIHNAeC5vcmcg\r\nMAIL FROM:<s@x.org>\r\nRCPT TO:<ana@example.org>\r\n" +
             kSend,
         ""},
        {"no user name: no AUTH and an empty sender",
         Replies({"220 peer", "250-peer\\n250 AUTH LOGIN", "250 ok", "250 ok", "354 go", "250 queued",
                  "221 bye"}),
         [](TMailCall& c) { c.UserName = u""; },
         "EHLO {H}\r\nMAIL FROM:<>\r\nRCPT TO:<ana@example.org>\r\n" + kSend, ""},
        {"EHLO refused: HELO",
         Replies(
             {"220 peer", "502 unknown", "250 hi", "250 ok", "250 ok", "354 go", "250 queued", "221 bye"}),
         kPlain,
         "EHLO {H}\r\nHELO {H}\r\nMAIL FROM:<sender@example.org>\r\nRCPT TO:<ana@example.org>\r\n" + kSend,
         ""},
        {"recipients To, Cc, Bcc in order; a rejected one resets and fails",
         Replies({"220 peer", "250 peer", "250 ok", "250 ok", "251 forwarded", "250 ok",
                  "550 5.1.1 <b2@x.org>: no such user", "250 reset"}),
         [](TMailCall& c) {
             c.To = u"a@x.org";
             c.Cc = u"Cee <c@x.org>";
             c.Bcc = u"b1@x.org; b2@x.org, b3@x.org";
         },
         "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\nRCPT TO:<a@x.org>\r\nRCPT TO:<c@x.org>\r\n"
         "RCPT TO:<b1@x.org>\r\nRCPT TO:<b2@x.org>\r\nRSET\r\n",
         "5.1.1 <b2@x.org>: no such user"},
        {"TLS requested, STARTTLS not offered: QUIT",
         Replies({"220 peer", "250-peer\\n250 AUTH LOGIN", "221 bye"}), [](TMailCall& c) { c.UseTls = true; },
         "EHLO {H}\r\nQUIT\r\n", "SSL is not available on this server."},
        {"STARTTLS answered with 454: QUIT",
         Replies({"220 peer", "250-peer\\n250 STARTTLS", "454 TLS not available", "221 bye"}),
         [](TMailCall& c) { c.UseTls = true; }, "EHLO {H}\r\nSTARTTLS\r\nQUIT\r\n",
         "Start SSL negotiation command failed."},
        {"DATA refused: RSET",
         Replies({"220 peer", "250 peer", "250 ok", "250 ok", "554 no valid recipients", "250 ok"}), kPlain,
         "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\nRCPT TO:<ana@example.org>\r\nDATA\r\nRSET\r\n",
         "no valid recipients"},
        {"message refused after its final dot: RSET",
         Replies({"220 peer", "250 peer", "250 ok", "250 ok", "354 go", "552 5.3.4 too big", "250 ok"}),
         kPlain,
         "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\nRCPT "
         "TO:<ana@example.org>\r\nDATA\r\n<message>\r\n.\r\nRSET\r\n",
         "5.3.4 too big"},
        {"no recipients at all: DATA without RCPT",
         Replies({"220 peer", "250 peer", "250 ok", "503 5.5.1 need RCPT", "250 ok"}),
         [](TMailCall& c) { c.To = u""; }, "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\nDATA\r\nRSET\r\n",
         "5.5.1 need RCPT"},
        {"QUIT refused after acceptance: the mail is sent",
         Replies({"220 peer", "250 peer", "250 ok", "250 ok", "354 go", "250 queued", "500 what"}), kPlain,
         "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\nRCPT TO:<ana@example.org>\r\n" + kSend, ""},
        {"QUIT never answered: the mail is sent, once the reply limit has passed",
         Replies({"220 peer", "250 peer", "250 ok", "250 ok", "354 go", "250 queued", "@silent"}),
         [](TMailCall& c) { c.Limits.Reply = std::chrono::milliseconds(800); },
         "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\nRCPT TO:<ana@example.org>\r\n" + kSend, ""},
        {"connection closed instead of answering QUIT: the mail is sent",
         Replies({"220 peer", "250 peer", "250 ok", "250 ok", "354 go", "250 queued", "@close"}), kPlain,
         "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\nRCPT TO:<ana@example.org>\r\n" + kSend, ""},
        {"multi-line replies at every step",
         Replies({"220-peer\\n220 welcome", "250-peer\\n250-SIZE 100\\n250 HELP", "250-ok\\n250 sender ok",
                  "251-will\\n251 forward", "354-go\\n354 on", "250-queued\\n250 as 1", "221-bye\\n221 now"}),
         kPlain, "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\nRCPT TO:<ana@example.org>\r\n" + kSend, ""},
        {"greeting refused", Replies({"554 5.3.2 go away"}), kPlain, "", "5.3.2 go away"},
        {"sender refused", Replies({"220 peer", "250 peer", "553 5.7.1 not yours"}), kPlain,
         "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\n", "5.7.1 not yours"},
        {"wrong password",
         Replies({"220 peer", "250-peer\\n250 AUTH LOGIN", "334 u", "334 p", "535 5.7.8 bad credentials"}),
         [](TMailCall& c) { c.Password = u"x"; },
         "EHLO {H}\r\nAUTH LOGIN\r\nc2VuZGVyQGV4YW1wbGUub3Jn\r\neA==\r\n", "5.7.8 bad credentials"},
        {"server that stops answering", Replies({"220 peer", "@silent"}),
         [](TMailCall& c) { c.Limits.Reply = std::chrono::milliseconds(800); }, "EHLO {H}\r\n",
         "Read timed out."},
        {"the reply to the message may take longer than other replies",
         Replies({"220 peer", "250 peer", "250 ok", "250 ok", "354 go", "@after 1.5 250 queued", "221 bye"}),
         [](TMailCall& c) {
             c.Limits.Reply = std::chrono::milliseconds(500);
             c.Limits.MessageReply = std::chrono::milliseconds(10000);
         },
         "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\nRCPT TO:<ana@example.org>\r\n" + kSend, ""},
        {"other replies keep their own limit", Replies({"220 peer", "250 peer", "@after 1.5 250 ok"}),
         [](TMailCall& c) {
             c.Limits.Reply = std::chrono::milliseconds(500);
             c.Limits.MessageReply = std::chrono::milliseconds(10000);
         },
         "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\n", "Read timed out."},
        {"the message's reply has a limit too",
         Replies({"220 peer", "250 peer", "250 ok", "250 ok", "354 go", "@silent"}),
         [](TMailCall& c) {
             c.Limits.Reply = std::chrono::milliseconds(300);
             c.Limits.MessageReply = std::chrono::milliseconds(800);
         },
         "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\nRCPT "
         "TO:<ana@example.org>\r\nDATA\r\n<message>\r\n.\r\n",
         "Read timed out."},
        {"connection lost in the middle", Replies({"220 peer", "250 peer", "@close"}), kPlain,
         "EHLO {H}\r\nMAIL FROM:<sender@example.org>\r\n", "The server closed the connection."},
    };
    for (const auto& dialogue : dialogues) {
        SCOPED_TRACE(dialogue.name);
        TScriptedPeer peer(dialogue.replies);
        TMailCall call;
        call.Port = peer.Port();
        dialogue.setUp(call);
        EXPECT_EQ(call.Failure(), dialogue.failure.empty() ? "no failure" : dialogue.failure);
        // OAUTHBEARER's message names the port, which the peer chose.
        std::string expected = dialogue.transcript;
        const std::string oauthBearer =
            Base64("n,a=alice@example.org,\x01host=127.0.0.1\x01port=" + std::to_string(peer.Port()) +
                   "\x01"
                   "auth=Bearer abc.def.ghi\x01\x01");
        if (const auto at = expected.find("{OAUTHBEARER}"); at != std::string::npos)
            expected.replace(at, 13, oauthBearer);
        EXPECT_EQ(Normalised(peer.Transcript()), expected);
    }
}

TEST(SmtpDialogue, MalformedTokenIsRefusedBeforeConnecting)
{
    TMailCall call;
    call.Port = 1; // nothing listens there: a connection would fail differently
    call.Password = u"Bearer a b";
    EXPECT_EQ(call.Failure(),
              "Invalid access token in UserPass: after \"Bearer \" it takes one token of letters, "
              "digits and - . _ ~ + / (then = signs).");
}

TEST(SmtpDialogue, LinesStartingWithADotAreStuffed)
{
    TScriptedPeer peer(
        Replies({"220 peer", "250 peer", "250 ok", "250 ok", "354 go", "250 queued", "221 bye"}));
    TMailCall call;
    call.Port = peer.Port();
    call.Body = u"<p>a\r\n.hidden\n..two</p>";
    EXPECT_EQ(call.Failure(), "no failure");
    EXPECT_NE(peer.Transcript().find("\r\n\r\n<p>a\r\n..hidden\r\n...two</p>\r\n.\r\nQUIT\r\n"),
              std::string::npos)
        << peer.Transcript();
}

} // namespace
} // namespace bramolt::mail::test
