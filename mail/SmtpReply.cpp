#include "mail/SmtpReply.h"

#include "mail/MailError.h"

namespace bramolt::mail {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string Printable(std::string_view line)
{
    std::string shown;
    for (const char c : line.substr(0, 200))
        shown += static_cast<unsigned char>(c) < 0x20 ? '?' : c;
    return shown;
}

} // namespace

std::string TSmtpReply::Text() const
{
    std::string text;
    for (const auto& line : Lines) {
        if (!text.empty())
            text += "\r\n";
        text += line;
    }
    return text;
}

void TSmtpReplyReader::Feed(std::string_view bytes)
{
    if (FStart > 0 && FStart == FBuffer.size()) {
        FBuffer.clear();
        FStart = 0;
    }
    FBuffer.append(bytes);
}

void TSmtpReplyReader::Discard()
{
    FBuffer.clear();
    FStart = 0;
}

std::optional<TSmtpReply> TSmtpReplyReader::Next()
{
    TSmtpReply reply;
    std::size_t at = FStart;
    for (;;) {
        const std::size_t end = FBuffer.find('\n', at);
        if (end == std::string::npos) {
            if (FBuffer.size() - at > kMaxLine)
                throw EMailError("The server's reply line is too long.");
            if (FBuffer.size() - FStart > kMaxReply)
                throw EMailError("The server's reply is too long.");
            return std::nullopt;
        }
        std::string_view line(FBuffer.data() + at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.size() > kMaxLine)
            throw EMailError("The server's reply line is too long.");
        if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2]) ||
            (line.size() > 3 && line[3] != ' ' && line[3] != '-'))
            throw EMailError("Invalid reply from the server: " + Printable(line));
        if (reply.Lines.empty())
            reply.Code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
        reply.Lines.emplace_back(line.size() > 4 ? line.substr(4) : std::string_view());
        at = end + 1;
        if (at - FStart > kMaxReply)
            throw EMailError("The server's reply is too long.");
        if (line.size() == 3 || line[3] == ' ')
            break;
    }
    FStart = at;
    if (FStart > kMaxLine && FStart * 2 > FBuffer.size()) {
        FBuffer.erase(0, FStart);
        FStart = 0;
    }
    return reply;
}

} // namespace bramolt::mail
