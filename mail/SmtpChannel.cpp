#include "mail/SmtpChannel.h"

#include "mail/MailError.h"

#include <algorithm>
#include <array>

namespace bramolt::mail {

namespace {

// Large enough that streamed attachments leave in few writes, small enough to stay cheap.
constexpr std::size_t kOutBuffer = 128 * 1024;

} // namespace

TSmtpChannel::TSmtpChannel(TSocket socket, const TMailLimits& limits,
                           std::chrono::steady_clock::time_point started)
    : FSocket(std::move(socket)), FLimits(limits), FDialogueEnd(started + limits.Dialogue)
{
    FOut.reserve(kOutBuffer);
}

TDeadline TSmtpChannel::WaitEnd(std::chrono::milliseconds limit) const
{
    return std::min(std::chrono::steady_clock::now() + limit, FDialogueEnd);
}

void TSmtpChannel::Send(std::string_view bytes)
{
    // Each piece has the reply limit of its own: a large message may take as long as it needs
    // while it keeps moving, and a connection that stalls ends within the limit.
    while (!bytes.empty()) {
        const std::string_view piece = bytes.substr(0, kOutBuffer);
        const TDeadline deadline = WaitEnd(FLimits.Reply);
        FTls ? FTls->Write(piece, deadline) : FSocket.SendAll(piece, deadline);
        bytes.remove_prefix(piece.size());
    }
}

void TSmtpChannel::Write(std::string_view bytes)
{
    if (FOut.size() + bytes.size() > kOutBuffer)
        Flush();
    if (bytes.size() >= kOutBuffer) {
        Send(bytes);
        return;
    }
    FOut.append(bytes);
}

void TSmtpChannel::Flush()
{
    if (FOut.empty())
        return;
    Send(FOut);
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
    const TDeadline deadline = WaitEnd(limit);
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
    FTls = std::make_unique<TTlsStream>(api, FSocket, serverName, verify, WaitEnd(FLimits.Reply));
}

} // namespace bramolt::mail
