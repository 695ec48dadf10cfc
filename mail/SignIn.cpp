#include "mail/SignIn.h"

#include "mail/MailError.h"
#include "text/CaseFolding.h"

#include <algorithm>

namespace bramolt::mail {

namespace {

constexpr std::string_view kBearerScheme = "Bearer";
constexpr char kFieldSeparator = '\x01';

// RFC 6750 section 2.1: b64token = 1*( ALPHA / DIGIT / "-" / "." / "_" / "~" / "+" / "/" ) *"="
bool IsBearerToken(std::string_view token)
{
    const std::size_t last = token.find_last_not_of('=');
    if (last == std::string_view::npos)
        return false;
    const std::string_view body = token.substr(0, last + 1);
    return std::all_of(body.begin(), body.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               std::string_view("-._~+/").find(c) != std::string_view::npos;
    });
}

std::string_view TrimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool HasControlCharacter(std::string_view text)
{
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '\x7F'; });
}

// RFC 5801 section 4: "=" and "," inside the authzid of a GS2 header are escaped.
std::string GS2Name(std::string_view name)
{
    std::string escaped;
    for (const char c : name)
        escaped += c == '=' ? "=3D" : c == ',' ? "=2C" : std::string(1, c);
    return escaped;
}

} // namespace

const char* MechanismName(TSaslMechanism mechanism)
{
    switch (mechanism) {
    case TSaslMechanism::smLogin:
        return "LOGIN";
    case TSaslMechanism::smPlain:
        return "PLAIN";
    case TSaslMechanism::smXOAuth2:
        return "XOAUTH2";
    case TSaslMechanism::smOAuthBearer:
        return "OAUTHBEARER";
    }
    return "";
}

TCredentials ReadCredentials(std::string_view userName, std::string_view password)
{
    if (userName.find('\0') != std::string_view::npos || password.find('\0') != std::string_view::npos)
        throw EMailError("UserName and UserPass cannot hold a NUL character.");
    TCredentials credentials{std::string(userName), std::string(password), TSecretKind::skPassword};
    if (!text::StartsWithIgnoringAsciiCase(password, kBearerScheme) ||
        password.size() == kBearerScheme.size() || password[kBearerScheme.size()] != ' ')
        return credentials;

    const std::string_view token = TrimBlanks(password.substr(kBearerScheme.size()));
    if (!IsBearerToken(token))
        throw EMailError("Invalid access token in UserPass: after \"Bearer \" it takes one token of letters, "
                         "digits and - . _ ~ + / (then = signs).");
    if (HasControlCharacter(userName))
        throw EMailError(
            "Invalid UserName for a sign-in with an access token: it holds a control character.");
    credentials.Secret = token;
    credentials.Kind = TSecretKind::skAccessToken;
    return credentials;
}

std::string PlainMessage(const TCredentials& credentials)
{
    return std::string(1, '\0') + credentials.UserName + '\0' + credentials.Secret;
}

std::string XOAuth2Message(const TCredentials& credentials)
{
    return "user=" + credentials.UserName + kFieldSeparator + "auth=Bearer " + credentials.Secret +
           kFieldSeparator + kFieldSeparator;
}

std::string OAuthBearerMessage(const TCredentials& credentials, std::string_view host, std::uint16_t port)
{
    return "n,a=" + GS2Name(credentials.UserName) + "," + kFieldSeparator + "host=" + std::string(host) +
           kFieldSeparator + "port=" + std::to_string(port) + kFieldSeparator + "auth=Bearer " +
           credentials.Secret + kFieldSeparator + kFieldSeparator;
}

} // namespace bramolt::mail
