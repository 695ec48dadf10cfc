#pragma once

// What the client signs in with, and the first message of each SASL mechanism it speaks
// after RFC 4954's AUTH command:
//   LOGIN        (no RFC) the user name and the password, each in a message of its own
//   RFC 4616     PLAIN: authzid NUL authcid NUL password, authzid left empty
//   XOAUTH2      (no RFC; the large providers' own) "user=" U ^A "auth=Bearer " T ^A ^A
//   RFC 7628     OAUTHBEARER: a GS2 header, the host and port, "auth=Bearer " T
// Messages are returned as bytes, before their Base64 encoding.

#include <cstdint>
#include <string>
#include <string_view>

namespace bramolt::mail {

enum class TSaslMechanism {
    smLogin,
    smPlain,
    smXOAuth2,
    smOAuthBearer,
};

// The name in the server's AUTH capability and in the AUTH command.
const char* MechanismName(TSaslMechanism mechanism);

enum class TSecretKind {
    skPassword,    // for LOGIN or PLAIN
    skAccessToken, // an OAuth 2 bearer token (RFC 6750), for XOAUTH2 or OAUTHBEARER
};

struct TCredentials {
    std::string UserName; // UTF-8, exactly as given; no sign-in when empty
    std::string Secret;   // the password, or the access token without its "Bearer " prefix
    TSecretKind Kind = TSecretKind::skPassword;
};

// Reads the caller's user name and password. A password of the form "Bearer <token>" (the
// scheme without regard to case, then one or more blanks) is an access token. Throws
// EMailError, before anything is sent, when the credentials cannot travel intact: a NUL in
// either (PLAIN separates its fields with NUL), a token that is empty or holds anything
// but RFC 6750's b64token characters, or a control character in the user name of a token
// (XOAUTH2 separates its fields with ^A).
TCredentials ReadCredentials(std::string_view userName, std::string_view password);

std::string PlainMessage(const TCredentials& credentials);
std::string XOAuth2Message(const TCredentials& credentials);
// `host` and `port` are those the client connected to (RFC 7628 section 3.1).
std::string OAuthBearerMessage(const TCredentials& credentials, std::string_view host, std::uint16_t port);

} // namespace bramolt::mail
