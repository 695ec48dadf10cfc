#include "mail/DotStuffer.h"

#include <cstring>

namespace bramolt::mail {

void TDotStuffer::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        if (FAtLineStart && bytes.front() == '.')
            FNext.Write(".");
        const void* found = std::memchr(bytes.data(), '\n', bytes.size());
        const std::size_t length =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data()) + 1
                  : bytes.size();
        FNext.Write(bytes.substr(0, length));
        FAtLineStart = found != nullptr;
        bytes.remove_prefix(length);
    }
}

void TDotStuffer::Finish()
{
    if (!FAtLineStart)
        FNext.Write("\r\n");
    FNext.Write(".\r\n");
}

} // namespace bramolt::mail
