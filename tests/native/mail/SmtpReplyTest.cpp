#include "mail/SmtpReply.h"
#include "mail/MailError.h"

#include "ExpectThrow.h"

#include <gtest/gtest.h>

namespace bramolt::mail {
namespace {

// Feeds `bytes` one byte at a time, as a slow network would, and collects the replies.
std::vector<TSmtpReply> ReadAll(const std::string& bytes)
{
    TSmtpReplyReader reader;
    std::vector<TSmtpReply> replies;
    for (const char c : bytes) {
        reader.Feed(std::string_view(&c, 1));
        while (auto reply = reader.Next())
            replies.push_back(*reply);
    }
    return replies;
}

TEST(SmtpReplyReader, SplitsRepliesAndTheirLines)
{
    struct {
        std::string bytes;
        std::vector<int> codes;
        std::vector<std::string> lastLines;
    } const cases[] = {
        {"220 ready\r\n", {220}, {"ready"}},
        {"250-mx\r\n250-AUTH LOGIN\r\n250 STARTTLS\r\n", {250}, {"mx\r\nAUTH LOGIN\r\nSTARTTLS"}},
        {"250\r\n354 go on\n", {250, 354}, {"", "go on"}}, // a code alone; a bare LF
        {"221 bye\r\n220 incomplete", {221}, {"bye"}},     // nothing until the line ends
        {"550 5.1.1 <x@y>: unknown \xC3\xA9\r\n", {550}, {"5.1.1 <x@y>: unknown \xC3\xA9"}},
    };
    for (const auto& c : cases) {
        const auto replies = ReadAll(c.bytes);
        ASSERT_EQ(replies.size(), c.codes.size()) << c.bytes;
        for (std::size_t i = 0; i < replies.size(); ++i) {
            EXPECT_EQ(replies[i].Code, c.codes[i]) << c.bytes;
            EXPECT_EQ(replies[i].Text(), c.lastLines[i]) << c.bytes;
        }
    }
}

TEST(SmtpReplyReader, RefusesWhatNoServerSends)
{
    struct {
        std::string bytes;
        std::string message;
    } const cases[] = {
        {"hello\r\n", "Invalid reply from the server: hello"},
        {"25 short\r\n", "Invalid reply from the server: 25 short"},
        {"250_x\r\n", "Invalid reply from the server: 250_x"},
        {"250-first\r\nbad\r\n", "Invalid reply from the server: bad"},
        {std::string(TSmtpReplyReader::kMaxLine + 10, '2'), "The server's reply line is too long."},
    };
    for (const auto& c : cases) {
        TSmtpReplyReader reader;
        reader.Feed(c.bytes);
        EXPECT_EQ(bramolt::test::ThrownMessage<EMailError>([&] {
                      while (reader.Next()) {
                      }
                  }),
                  c.message)
            << c.bytes.substr(0, 40);
    }
}

TEST(SmtpReplyReader, EndlessContinuationLinesAreCutOff)
{
    TSmtpReplyReader reader;
    std::string line = "250-" + std::string(1000, 'x') + "\r\n";
    EXPECT_THROW(
        {
            for (std::size_t sent = 0; sent <= TSmtpReplyReader::kMaxReply; sent += line.size()) {
                reader.Feed(line);
                reader.Next();
            }
        },
        EMailError);
}

TEST(SmtpReplyReader, DiscardForgetsBytesSentBeforeTheHandshake)
{
    TSmtpReplyReader reader;
    reader.Feed("220 go ahead\r\n250 injected\r\n");
    ASSERT_EQ(reader.Next()->Code, 220);
    reader.Discard();
    EXPECT_FALSE(reader.Next());
}

} // namespace
} // namespace bramolt::mail
