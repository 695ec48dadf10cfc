#include "text/Utf8.h"
#include "json/JSONParser.h"
#include "json/JSONValue.h"
#include "json/JSONWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace bramolt::json {
namespace {

// UTF-16 text is parsed without the detour through UTF-8; the result must be the one the
// detour gives, for accepted and refused texts alike.
struct TUtf16Case {
    const char* Why;
    std::u16string Text;
};

const TUtf16Case kUtf16Cases[] = {
    {"plain ASCII", u"{\"a\":[1,2.5,\"x\"]}"},
    {"byte order mark before a value", u"\uFEFF[1]"},
    {"byte order mark only", u"\uFEFF"},
    {"byte order mark not at the start", u"[\uFEFF1]"},
    {"non-ASCII inside a string", u"[\"caf\u00E9 \u4E2D \U0001F600\"]"},
    {"lone high surrogate inside a string", u"[\"a\xD800z\"]"},
    {"lone low surrogate at the end of a string", u"[\"a\xDC01\"]"},
    {"reversed surrogates", u"[\"\xDC00\xD800\"]"},
    {"non-ASCII outside a string", u"[1,\u00E9]"},
    {"unit whose low byte is a digit", u"[\u0131]"},
    {"unit whose low byte is a quotation mark", u"[\"a\u0122]"},
    {"unit whose low byte is a reverse solidus inside a string", u"[\"a\u015Cb\"]"},
    {"unit whose low byte is a hex digit in an escape", u"[\"\\u00\u0141\u0130\"]"},
    {"unit whose low byte is a brace", u"\u017B\u017D"},
    {"unit whose low byte is a blank", u"[1,\u0120 2]"},
    {"unit whose low byte is a letter of true", u"\u0174rue"},
    {"truncated string", u"[\"abc"},
    {"NUL inside a string", std::u16string(u"[\"a\0b\"]", 7)},
};

TEST(Utf16Parse, MatchesParsingTheUtf8Encoding)
{
    for (const auto& c : kUtf16Cases) {
        const auto direct = ParseJSONValue(c.Text);
        const auto viaUtf8 = ParseJSONValueUtf8(text::ToWtf8(c.Text));
        ASSERT_EQ(direct == nullptr, viaUtf8 == nullptr) << c.Why;
        if (direct != nullptr) {
            EXPECT_EQ(ToJSON(*direct, {}), ToJSON(*viaUtf8, {})) << c.Why;
        }
    }
}

} // namespace
} // namespace bramolt::json
