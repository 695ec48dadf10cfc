// The caller's credentials as the sign-in reads them, and the first message of each
// mechanism, checked against the examples of RFC 4616, RFC 7628 and the providers' XOAUTH2
// documentation.
#include "mail/SignIn.h"
#include "mail/MailError.h"
#include "tests/native/mail/MailTestSupport.h"

namespace bramolt::mail::test {
namespace {

TEST(SignIn, ReadsPasswordsAndBearerTokens)
{
    struct TRow {
        const char* reason;
        std::string password;
        TSecretKind kind;
        std::string secret;
    };
    const TRow rows[] = {
        {"an ordinary password", "s3cret", TSecretKind::skPassword, "s3cret"},
        {"a JWT access token", "Bearer eyJ0.eyJz.c2ln-_", TSecretKind::skAccessToken, "eyJ0.eyJz.c2ln-_"},
        {"the scheme is case-insensitive", "bEARER abc", TSecretKind::skAccessToken, "abc"},
        {"blanks around the token are dropped", "Bearer   abc~+/  ", TSecretKind::skAccessToken, "abc~+/"},
        {"padding at the end of a token", "Bearer abc==", TSecretKind::skAccessToken, "abc=="},
        {"the word alone is a password", "Bearer", TSecretKind::skPassword, "Bearer"},
        {"no blank after the word: a password", "Bearerabc", TSecretKind::skPassword, "Bearerabc"},
        {"a tab is no blank: a password", "Bearer\tabc", TSecretKind::skPassword, "Bearer\tabc"},
        {"a password may hold blanks", " pass word ", TSecretKind::skPassword, " pass word "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        const TCredentials credentials = ReadCredentials("ana@example.org", row.password);
        EXPECT_EQ(credentials.UserName, "ana@example.org");
        EXPECT_EQ(credentials.Kind, row.kind);
        EXPECT_EQ(credentials.Secret, row.secret);
    }
}

TEST(SignIn, RefusesCredentialsThatCannotTravelIntact)
{
    const std::string badToken = "Invalid access token in UserPass: after \"Bearer \" it takes one token of "
                                 "letters, digits and - . _ ~ + / (then = signs).";
    const std::string nul = "UserName and UserPass cannot hold a NUL character.";
    struct TRow {
        const char* reason;
        std::string userName;
        std::string password;
        std::string failure;
    };
    const TRow rows[] = {
        {"no token after the scheme", "ana@example.org", "Bearer ", badToken},
        {"only blanks after the scheme", "ana@example.org", "Bearer    ", badToken},
        {"two words would shift the XOAUTH2 fields", "ana@example.org", "Bearer abc def", badToken},
        {"^A would end the XOAUTH2 field early", "ana@example.org", std::string("Bearer abc\x01user=x"),
         badToken},
        {"a line break copied with the token", "ana@example.org", "Bearer abc\r\n", badToken},
        {"padding alone is no token", "ana@example.org", "Bearer ==", badToken},
        {"padding only at the end", "ana@example.org", "Bearer a=b", badToken},
        {"a non-ASCII letter", "ana@example.org", "Bearer ab\xC3\xB1", badToken},
        {"NUL in a password splits PLAIN's fields", "ana@example.org", std::string("pa\0ss", 5), nul},
        {"NUL in the user name splits PLAIN's fields", std::string("ana\0x", 5), "pass", nul},
        {"^A in the user name would end XOAUTH2's user field", std::string("ana\x01@x.org"), "Bearer abc",
         "Invalid UserName for a sign-in with an access token: it holds a control character."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        bramolt::test::ExpectThrowWithMessage<EMailError>(
            [&] { ReadCredentials(row.userName, row.password); }, row.failure);
    }
}

TEST(SignIn, MessagesOfEachMechanism)
{
    const TCredentials password{"alice@example.org", "secret", TSecretKind::skPassword};
    const TCredentials token{"alice@example.org", "abc.def.ghi", TSecretKind::skAccessToken};
    const TCredentials oddName{"a=b,c@example.org", "abc", TSecretKind::skAccessToken};
    struct TRow {
        const char* reason;
        std::string message;
        std::string base64;
    };
    const TRow rows[] = {
        {"PLAIN with an empty authorization identity", PlainMessage(password),
         "AGFsaWNlQGV4YW1wbGUub3JnAHNlY3JldA=="},
        {"XOAUTH2 as the providers document it", XOAuth2Message(token),
         "dXNlcj1hbGljZUBleGFtcGxlLm9yZwFhdXRoPUJlYXJlciBhYmMuZGVmLmdoaQEB"},
        {"OAUTHBEARER with host and port", OAuthBearerMessage(token, "mail.example.org", 587),
         Base64("n,a=alice@example.org,\x01host=mail.example.org\x01port=587\x01"
                "auth=Bearer abc.def.ghi\x01\x01")},
        {"OAUTHBEARER escapes = and , of the name (RFC 5801)", OAuthBearerMessage(oddName, "h", 25),
         Base64("n,a=a=3Db=2Cc@example.org,\x01host=h\x01port=25\x01"
                "auth=Bearer abc\x01\x01")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.reason);
        EXPECT_EQ(Base64(row.message), row.base64);
    }
}

} // namespace
} // namespace bramolt::mail::test
