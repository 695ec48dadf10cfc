// Server bytes read as replies must give the same replies, or the same refusal, however the
// network cuts them into pieces; every reply has a code of three digits and a line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/Require.h"
#include "mail/MailError.h"
#include "mail/SmtpReply.h"

namespace {

using bramolt::fuzz::Require;

struct TOutcome {
    std::vector<bramolt::mail::TSmtpReply> Replies;
    std::string Error;
};

TOutcome ReadInPieces(std::string_view bytes, std::size_t piece)
{
    TOutcome outcome;
    bramolt::mail::TSmtpReplyReader reader;
    try {
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            reader.Feed(bytes.substr(at, piece));
            while (auto reply = reader.Next())
                outcome.Replies.push_back(std::move(*reply));
        }
    } catch (const bramolt::mail::EMailError& error) {
        outcome.Error = error.what();
    }
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = 1 + data[0] % 16;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const TOutcome whole = ReadInPieces(bytes, bytes.size() + 1);
    const TOutcome cut = ReadInPieces(bytes, piece);
    Require(whole.Replies.size() == cut.Replies.size(), "reply count depends on the pieces");
    // An error may come earlier in pieces only for limits, never for content.
    Require(whole.Error.empty() == cut.Error.empty() || whole.Error.find("too long") != std::string::npos ||
                cut.Error.find("too long") != std::string::npos,
            "refusal depends on the pieces");
    for (std::size_t i = 0; i < whole.Replies.size(); ++i) {
        const auto& reply = whole.Replies[i];
        Require(reply.Code >= 0 && reply.Code <= 999, "code out of range");
        Require(!reply.Lines.empty(), "reply without a line");
        Require(reply.Code == cut.Replies[i].Code && reply.Lines == cut.Replies[i].Lines, "replies differ");
    }
    return 0;
}
