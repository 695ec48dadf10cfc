// Reads the tokens of arbitrary text. A text read to its end without error is printed back
// as strict JSON from its tokens; reading that print must give the same tokens again.

#include "dataset/JsonTokenReader.h"
#include "fuzz/Require.h"
#include "text/Utf8.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace bramolt::dataset;
using bramolt::fuzz::Require;

struct TToken {
    TJsonToken FType;
    TJsonTokenValue FValue;
    bool operator==(const TToken& other) const
    {
        if (FType != other.FType)
            return false;
        const double* a = std::get_if<double>(&FValue);
        const double* b = std::get_if<double>(&other.FValue);
        if (a && b)
            return (std::isnan(*a) && std::isnan(*b)) || *a == *b;
        return FValue == other.FValue;
    }
};

bool ReadAll(std::u16string_view text, std::vector<TToken>& tokens)
{
    TJsonTokenReader reader(text);
    try {
        while (reader.Read()) {
            tokens.push_back({reader.TokenType(), reader.Value()});
            Require(reader.Depth() <= 1'000'000, "the depth runs away");
        }
        return true;
    } catch (const EJsonReaderError&) {
        return false;
    }
}

void PrintString(const std::u16string& text, std::u16string& out)
{
    out += u'"';
    for (const char16_t c : text) {
        if (c == u'"' || c == u'\\' || c < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", static_cast<unsigned>(c));
            out.append(buffer, buffer + 6);
        } else {
            out += c;
        }
    }
    out += u'"';
}

std::u16string Print(const std::vector<TToken>& tokens)
{
    std::u16string out;
    bool needComma = false;
    for (const TToken& token : tokens) {
        const bool closing = token.FType == TJsonToken::EndObject || token.FType == TJsonToken::EndArray;
        if (needComma && !closing)
            out += u',';
        needComma = true;
        std::string number;
        switch (token.FType) {
        case TJsonToken::StartObject:
            out += u'{';
            needComma = false;
            break;
        case TJsonToken::StartArray:
            out += u'[';
            needComma = false;
            break;
        case TJsonToken::EndObject:
            out += u'}';
            break;
        case TJsonToken::EndArray:
            out += u']';
            break;
        case TJsonToken::PropertyName:
            PrintString(std::get<std::u16string>(token.FValue), out);
            out += u':';
            needComma = false;
            break;
        case TJsonToken::String:
            PrintString(std::get<std::u16string>(token.FValue), out);
            break;
        case TJsonToken::Integer:
            number = std::holds_alternative<std::int32_t>(token.FValue)
                         ? std::to_string(std::get<std::int32_t>(token.FValue))
                         : std::to_string(std::get<std::int64_t>(token.FValue));
            break;
        case TJsonToken::Float: {
            const double value = std::get<double>(token.FValue);
            if (std::isnan(value)) {
                number = "NaN";
            } else if (std::isinf(value)) {
                number = value < 0 ? "-Infinity" : "Infinity";
            } else {
                char buffer[64];
                number.assign(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
                if (number.find_first_of(".e") == std::string::npos)
                    number += ".0";
            }
            break;
        }
        case TJsonToken::Boolean:
            number = std::get<bool>(token.FValue) ? "true" : "false";
            break;
        case TJsonToken::Null:
            number = "null";
            break;
        case TJsonToken::Undefined:
            number = "undefined";
            break;
        case TJsonToken::None:
            Require(false, "a token without a type");
            break;
        }
        out.append(number.begin(), number.end());
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u16string text =
        bramolt::text::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<TToken> tokens;
    if (!ReadAll(text, tokens))
        return 0;
    std::vector<TToken> again;
    Require(ReadAll(Print(tokens), again) && again == tokens, "the printed tokens read back differently");
    return 0;
}
