// Every wait of a delivery ends: a server that is slow on purpose, or a byte at a time, holds
// the caller no longer than the limits of TMailLimits. Limits are short here, delays shorter
// than the limit they must not reach; elapsed times are checked only against what a correct
// ending allows, loosely, since the machine may be busy.
#include "tests/native/mail/MailTestSupport.h"

#include <netinet/in.h>
#include <sys/socket.h>

namespace bramolt::mail::test {
namespace {

using std::chrono::milliseconds;

// How late an ending may come on a loaded machine; a limit that is not kept misses it by
// minutes.
constexpr milliseconds kSlack{6000};

struct TTimedFailure {
    std::string Message;
    milliseconds Elapsed;
};

// `attempt` returns its failure's message.
template <typename Attempt> TTimedFailure Timed(Attempt&& attempt)
{
    const auto start = std::chrono::steady_clock::now();
    std::string message = attempt();
    return {std::move(message),
            std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start)};
}

// Expects the wait to have ended at `limit`: not before, and not long after.
void ExpectEndedAt(const TTimedFailure& failure, milliseconds limit)
{
    EXPECT_GE(failure.Elapsed, limit - milliseconds(50));
    EXPECT_LE(failure.Elapsed, limit + kSlack);
}

TEST(WaitLimits, TlsHandshakeEndsAsAWhole)
{
    // At 4 bytes a second the server's first flight alone would take minutes: each read
    // waits a quarter of a second, the handshake must not.
    const milliseconds interval{250};
    struct {
        const char* reason;
        const char* peerMode;
        TTlsMode mode;
        TMailLimits limits;
        milliseconds end;
    } const rows[] = {
        {"after STARTTLS, at the reply limit",
         "starttls",
         TTlsMode::tmStartTls,
         {.Reply = milliseconds(1500)},
         milliseconds(1500)},
        {"implicit TLS, at the reply limit",
         "implicit",
         TTlsMode::tmImplicit,
         {.Reply = milliseconds(1500)},
         milliseconds(1500)},
        {"after STARTTLS, at the dialogue's limit when that comes first",
         "starttls",
         TTlsMode::tmStartTls,
         {.Reply = milliseconds(60000), .Dialogue = milliseconds(2000)},
         milliseconds(2000)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        TTricklePeer peer(row.peerMode, interval);
        const TTimedFailure failure =
            Timed([&] { return SendThroughSession(peer.Port(), row.mode, "localhost", false, row.limits); });
        EXPECT_EQ(failure.Message, "SSL negotiation failed.");
        ExpectEndedAt(failure, row.end);
    }
}

// Replies every 0.6 s, each well within the reply limit of 1 s; the dialogue's limit falls
// between two replies, so that the transcript shows in which wait it ran out.
TEST(WaitLimits, DialogueBeforeTheMessageEndsAsAWhole)
{
    const std::string slow = "@after 0.6 ";
    const auto script = [&](std::initializer_list<const char*> replies) {
        std::string lines;
        for (const char* reply : replies)
            lines += slow + reply + "\n";
        return lines;
    };
    struct {
        const char* stage;
        std::string replies;
        std::u16string to;
        milliseconds dialogue;
        std::string transcript;
        std::string failure; // empty: delivered
    } const rows[] = {
        {"greeting", script({"220 peer"}), u"a@x.org", milliseconds(300), "", "Read timed out."},
        {"EHLO", script({"220 peer", "250 peer"}), u"a@x.org", milliseconds(900), "EHLO client.test\r\n",
         "Read timed out."},
        {"second RCPT of three", script({"220 peer", "250 peer", "250 ok", "250 ok", "250 ok", "250 ok"}),
         u"a@x.org, b@x.org, c@x.org", milliseconds(2700),
         "EHLO client.test\r\nMAIL FROM:<sender@example.org>\r\nRCPT TO:<a@x.org>\r\nRCPT TO:<b@x.org>\r\n",
         "Read timed out."},
        {"DATA", script({"220 peer", "250 peer", "250 ok", "250 ok", "354 go"}), u"a@x.org",
         milliseconds(2700),
         "EHLO client.test\r\nMAIL FROM:<sender@example.org>\r\nRCPT TO:<a@x.org>\r\nDATA\r\n",
         "Read timed out."},
        // The 354 comes at 2.4 s, the reply to the message after the dialogue's 2.7 s.
        {"none: the message and its reply are not under the dialogue's limit",
         script({"220 peer", "250 peer", "250 ok", "250 ok"}) + "354 go\n" + slow + "250 queued\n221 bye\n",
         u"a@x.org", milliseconds(2700), "", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stage);
        TScriptedPeer peer(row.replies);
        TMailCall call;
        call.Port = peer.Port();
        call.To = row.to;
        call.Limits.Reply = milliseconds(1000);
        call.Limits.Dialogue = row.dialogue;
        const TTimedFailure failure = Timed([&] { return call.Failure(); });
        if (row.failure.empty()) {
            EXPECT_EQ(failure.Message, "no failure");
            continue;
        }
        EXPECT_EQ(failure.Message, row.failure);
        ExpectEndedAt(failure, row.dialogue);
        std::string transcript = peer.Transcript();
        for (std::size_t at; (at = transcript.find(LocalHostName())) != std::string::npos;)
            transcript.replace(at, LocalHostName().size(), "client.test");
        EXPECT_EQ(transcript, row.transcript);
    }
}

// A peer whose listening socket takes the connection but never reads from it.
class TDeafListener {
  public:
    TDeafListener() : FFd(::socket(AF_INET, SOCK_STREAM, 0))
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (::bind(FFd, reinterpret_cast<sockaddr*>(&address), size) != 0 || ::listen(FFd, 1) != 0 ||
            ::getsockname(FFd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("no listening socket");
        FPort = ntohs(address.sin_port);
    }
    ~TDeafListener() { ::close(FFd); }
    TDeafListener(const TDeafListener&) = delete;
    TDeafListener& operator=(const TDeafListener&) = delete;
    std::uint16_t Port() const { return FPort; }

  private:
    int FFd;
    std::uint16_t FPort = 0;
};

TEST(WaitLimits, SendToAPeerThatReadsNothingEndsAtTheDeadline)
{
    TDeafListener peer;
    TSocket socket = TSocket::Connect("127.0.0.1", peer.Port(), milliseconds(3000));
    // Far more than the buffers of both ends hold.
    const std::string bytes(64 * 1024 * 1024, 'x');
    const milliseconds limit{500};
    const TTimedFailure failure = Timed([&] {
        return bramolt::test::ThrownMessage<EMailError>(
                   [&] { socket.SendAll(bytes, std::chrono::steady_clock::now() + limit); })
            .value_or("no failure");
    });
    EXPECT_EQ(failure.Message, "Write timed out.");
    ExpectEndedAt(failure, limit);
}

} // namespace
} // namespace bramolt::mail::test
