#pragma once

#include <string>
#include <string_view>

namespace bramolt::mail {

// A new value for the Message-ID field (RFC 5322 section 3.6.4), angle brackets included:
// 128 random bits from the system's cryptographic source, "@", and the domain of
// `senderAddress`; the computer's `hostName` when the sender has no usable domain, and
// "localhost" when neither is a plain ASCII domain.
std::string NewMessageId(std::string_view senderAddress, std::string_view hostName);

} // namespace bramolt::mail
