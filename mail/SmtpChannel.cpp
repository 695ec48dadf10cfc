#include "mail/SmtpChannel.h"

#include "mail/MailError.h"

#include <array>

namespace bramolt::mail {

namespace {

// Large enough that streamed attachments leave in few writes, small enough to stay cheap.
constexpr std::size_t kOutBuffer = 128 * 1024;

} // namespace

TSmtpChannel::TSmtpChannel(TSocket socket, std::chrono::milliseconds replyLimit,
                           std::chrono::milliseconds messageReplyLimit)
    : FSocket(std::move(socket)), FReplyLimit(replyLimit), FMessageReplyLimit(messageReplyLimit)
{
    // The TLS library reads and writes the socket itself: the socket's own limits keep it
    // from waiting forever.
    FSocket.LimitBlockingCalls(replyLimit);
    FOut.reserve(kOutBuffer);
}

void TSmtpChannel::Write(std::string_view bytes)
{
    if (FOut.size() + bytes.size() > kOutBuffer)
        Flush();
    if (bytes.size() >= kOutBuffer) {
        FTls ? FTls->Write(bytes) : FSocket.SendAll(bytes);
        return;
    }
    FOut.append(bytes);
}

void TSmtpChannel::Flush()
{
    if (FOut.empty())
        return;
    FTls ? FTls->Write(FOut) : FSocket.SendAll(FOut);
    FOut.clear();
}

void TSmtpChannel::Command(std::string_view line)
{
    Write(line);
    Write("\r\n");
    Flush();
}

std::size_t TSmtpChannel::Receive(char* buffer, std::size_t size, TDeadline deadline)
{
    return FTls ? FTls->Read(buffer, size, deadline) : FSocket.Receive(buffer, size, deadline);
}

TSmtpReply TSmtpChannel::ReadReply(std::chrono::milliseconds limit)
{
    const TDeadline deadline = std::chrono::steady_clock::now() + limit;
    std::array<char, 4096> buffer;
    for (;;) {
        if (auto reply = FReader.Next())
            return std::move(*reply);
        const std::size_t received = Receive(buffer.data(), buffer.size(), deadline);
        if (received == 0)
            throw EMailError("The server closed the connection.");
        FReader.Feed(std::string_view(buffer.data(), received));
    }
}

void TSmtpChannel::StartTls(const TOpenSsl& api, const std::string& serverName, bool verify)
{
    Flush();
    FReader.Discard();
    FTls = std::make_unique<TTlsStream>(api, FSocket, serverName, verify);
}

} // namespace bramolt::mail
