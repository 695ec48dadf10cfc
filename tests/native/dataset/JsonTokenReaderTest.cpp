#include "dataset/JsonTokenReader.h"

#include "PacketText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace bramolt::dataset {
namespace {

// The tokens of a text, one word each; "!" followed by the message ends a malformed text.
std::string Tokens(std::u16string_view text)
{
    TJsonTokenReader reader(text);
    std::ostringstream out;
    try {
        while (reader.Read()) {
            const TJsonTokenValue& v = reader.Value();
            switch (reader.TokenType()) {
            case TJsonToken::StartObject:
                out << "{ ";
                break;
            case TJsonToken::EndObject:
                out << "} ";
                break;
            case TJsonToken::StartArray:
                out << "[ ";
                break;
            case TJsonToken::EndArray:
                out << "] ";
                break;
            case TJsonToken::PropertyName:
                out << test::Narrow(std::get<std::u16string>(v)) << ": ";
                break;
            case TJsonToken::String:
                out << "'" << test::Narrow(std::get<std::u16string>(v)) << "' ";
                break;
            case TJsonToken::Integer:
                if (const auto* i = std::get_if<std::int32_t>(&v))
                    out << "i32:" << *i << ' ';
                else
                    out << "i64:" << std::get<std::int64_t>(v) << ' ';
                break;
            case TJsonToken::Float:
                out << "f:" << std::get<double>(v) << ' ';
                break;
            case TJsonToken::Boolean:
                out << (std::get<bool>(v) ? "true " : "false ");
                break;
            case TJsonToken::Null:
                out << "null ";
                break;
            case TJsonToken::Undefined:
                out << "undefined ";
                break;
            case TJsonToken::None:
                out << "?? ";
                break;
            }
        }
    } catch (const EJsonReaderError& error) {
        out << "! " << error.what();
    }
    return out.str();
}

struct TTokenCase {
    const char* FWhy;
    const char16_t* FText;
    const char* FTokens;
};

class TokenTest : public testing::TestWithParam<TTokenCase> {};

TEST_P(TokenTest, Reads)
{
    EXPECT_EQ(Tokens(GetParam().FText), GetParam().FTokens);
}

INSTANTIATE_TEST_SUITE_P(
    Lenient, TokenTest,
    testing::Values(
        TTokenCase{"empty text", u"", ""}, TTokenCase{"comments only", u"  /* nothing */ // at all", ""},
        TTokenCase{"strict JSON", u"{\"a\":1,\"b\":[true,null],\"c\":{}}",
                   "{ a: i32:1 b: [ true null ] c: { } } "},
        TTokenCase{"doubled quote is no escape", u"{'a':'it''s'}",
                   "{ a: 'it' ! Expected ',' or the end of the object but found ''' at position 9"},
        TTokenCase{"single quotes and bare names", u"{'a':'don\\'t', b$_1 : \"x\"}",
                   "{ a: 'don't' b$_1: 'x' } "},
        TTokenCase{"comments between values", u"[1, // one\n /* two */ 2]", "[ i32:1 i32:2 ] "},
        // The 32/64-bit split and the numbers that become doubles.
        TTokenCase{"32 bit limits", u"[2147483647,-2147483648,2147483648,-2147483649]",
                   "[ i32:2147483647 i32:-2147483648 i64:2147483648 i64:-2147483649 ] "},
        TTokenCase{"64 bit limits", u"[9223372036854775807,-9223372036854775808,9223372036854775808]",
                   "[ i64:9223372036854775807 i64:-9223372036854775808 f:9.22337e+18 ] "},
        TTokenCase{"fractions and exponents", u"[3.0,1e2,-0.5E-1,1e400]", "[ f:3 f:100 f:-0.05 f:inf ] "},
        TTokenCase{"hexadecimal", u"[0x1F,-0x10,0x80000000,0x7FFFFFFFFFFFFFFF]",
                   "[ i32:31 i32:-16 i64:2147483648 i64:9223372036854775807 ] "},
        TTokenCase{"special words", u"[NaN,Infinity,-Infinity,undefined]",
                   "[ f:nan f:inf f:-inf undefined ] "},
        TTokenCase{"escapes", u"\"\\u00e9\\n\\t\\/\"", "'?\n\t/' "},
        // Malformed text: the tokens before it are delivered.
        TTokenCase{"trailing comma in an object", u"{\"a\":1,}",
                   "{ a: i32:1 ! Expected a property name but found '}' at position 7"},
        TTokenCase{"missing comma in an array", u"[1 2]",
                   "[ i32:1 ! Expected ',' or the end of the array but found '2' at position 3"},
        TTokenCase{"missing colon", u"{\"a\" 1}", "{ ! Expected ':' after a property name at position 5"},
        TTokenCase{"leading zero", u"[01]", "[ ! Invalid number with a leading zero at position 1"},
        TTokenCase{"letter after a number", u"[1x]",
                   "[ ! Unexpected character 'x' after a number at position 2"},
        TTokenCase{"hexadecimal without digits", u"[0x]",
                   "[ ! Hexadecimal number without digits at position 3"},
        TTokenCase{"hexadecimal beyond 64 bits", u"[0x10000000000000000]",
                   "[ ! Hexadecimal number too large at position 19"},
        TTokenCase{"unterminated string", u"[\"abc", "[ ! Unterminated string at position 5"},
        TTokenCase{"invalid escape", u"[\"\\x\"]", "[ ! Invalid escape 'x' at position 3"},
        TTokenCase{"short unicode escape", u"[\"\\u12\"]", "[ ! Invalid \\u escape at position 6"},
        TTokenCase{"unknown word", u"[tru]", "[ ! Unexpected word in place of a value at position 1"},
        TTokenCase{"end inside containers", u"{\"a\":[1",
                   "{ a: [ i32:1 ! Unexpected end of JSON text at position 7"},
        TTokenCase{"unterminated comment", u"/* open", "! Unterminated comment at position 0"},
        TTokenCase{"text after the value", u"1 2",
                   "i32:1 ! Unexpected text after the end of the JSON value: '2' at position 2"}),
    [](const testing::TestParamInfo<TTokenCase>& info) { return test::NameOf(info.param.FWhy); });

TEST(JsonTokenReader, HasNoNestingLimit)
{
    const std::size_t depth = 100000;
    std::u16string text(depth, u'[');
    text += std::u16string(depth, u']');
    TJsonTokenReader reader(text);
    std::size_t tokens = 0, deepest = 0;
    while (reader.Read()) {
        ++tokens;
        deepest = std::max(deepest, reader.Depth());
    }
    EXPECT_EQ(tokens, 2 * depth);
    EXPECT_EQ(deepest, depth);
}

TEST(JsonTokenReader, KeepsUnpairedSurrogatesOfStrings)
{
    TJsonTokenReader reader(u"\"\\ud800x\"");
    ASSERT_TRUE(reader.Read());
    EXPECT_EQ(std::get<std::u16string>(reader.Value()), u"\xD800x");
}

} // namespace
} // namespace bramolt::dataset
