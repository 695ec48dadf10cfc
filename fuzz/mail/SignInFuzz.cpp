// Any user name and password read as credentials: either refused with EMailError, or every
// mechanism's message keeps its framing, so that nothing in them can shift or add a field
// (PLAIN's two NULs, the ^A separators of XOAUTH2 and OAUTHBEARER).
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/Require.h"
#include "mail/MailError.h"
#include "mail/SignIn.h"

namespace {

using bramolt::fuzz::Require;

std::size_t Count(std::string_view text, char c)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The user name up to the first line feed, the password after it.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = std::min(input.find('\n'), input.size());
    const std::string_view userName = input.substr(0, split);
    const std::string_view password = input.substr(std::min(split + 1, input.size()));
    using namespace bramolt::mail;
    TCredentials credentials;
    try {
        credentials = ReadCredentials(userName, password);
    } catch (const EMailError&) {
        return 0;
    }
    Require(credentials.UserName == userName, "user name changed");
    Require(Count(PlainMessage(credentials), '\0') == 2, "PLAIN fields shifted");
    if (credentials.Kind == TSecretKind::skPassword) {
        Require(credentials.Secret == password, "password changed");
        return 0;
    }
    Require(!credentials.Secret.empty() && password.find(credentials.Secret) != std::string_view::npos,
            "token not taken from the password");
    Require(Count(XOAuth2Message(credentials), '\x01') == 3, "XOAUTH2 fields shifted");
    const std::string bearer = OAuthBearerMessage(credentials, "mail.example.org", 587);
    Require(Count(bearer, '\x01') == 5, "OAUTHBEARER fields shifted");
    Require(bearer.find(',', 4) == bearer.find('\x01') - 1, "OAUTHBEARER header shifted");
    return 0;
}
