#include "mail/MessageId.h"

#include "text/HexDigits.h"

#include <random>

namespace bramolt::mail {

namespace {

// Labels of letters, digits and hyphens joined by dots, or an address literal: what every
// server takes in a Message-ID, without the SMTPUTF8 extension.
bool IsPlainDomain(std::string_view domain)
{
    if (domain.size() > 2 && domain.front() == '[' && domain.back() == ']')
        return true;
    if (domain.empty() || domain.front() == '.' || domain.back() == '.' ||
        domain.find("..") != std::string_view::npos)
        return false;
    for (const char c : domain)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
              c == '.'))
            return false;
    return true;
}

} // namespace

std::string NewMessageId(std::string_view senderAddress, std::string_view hostName)
{
    const std::size_t at = senderAddress.rfind('@');
    std::string_view domain =
        at == std::string_view::npos ? std::string_view() : senderAddress.substr(at + 1);
    if (!IsPlainDomain(domain))
        domain = IsPlainDomain(hostName) ? hostName : "localhost";
    // The standard library draws from the system's cryptographic source on the platforms we
    // build for (getrandom or /dev/urandom; RtlGenRandom through rand_s on Windows).
    std::random_device source;
    std::string id = "<";
    for (int i = 0; i < 4; ++i) {
        const auto bits = static_cast<std::uint32_t>(source());
        for (int shift = 28; shift >= 0; shift -= 4)
            id += static_cast<char>(text::UpperHexDigit(bits >> shift));
    }
    return id + "@" + std::string(domain) + ">";
}

} // namespace bramolt::mail
