#include "dataset/JsonTokenReader.h"

#include "text/HexDigits.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace bramolt::dataset {

namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == 0xFEFF || c == 0xA0;
}

bool IsNameChar(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
           c == u'$' || (c >= 0x80 && !IsBlank(c));
}

std::string Printable(char16_t c)
{
    if (c >= 0x20 && c < 0x7F)
        return std::string("'") + static_cast<char>(c) + "'";
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(c));
    return buffer;
}

} // namespace

void TJsonTokenReader::Fail(std::string_view what) const
{
    throw EJsonReaderError(std::string(what) + " at position " + std::to_string(FPos));
}

bool TJsonTokenReader::Read()
{
    while (true) {
        SkipBlanksAndComments();
        if (FPos == FText.size()) {
            if (!FOpen.empty() || (FExpect != TExpect::Nothing && FToken != TJsonToken::None))
                Fail("Unexpected end of JSON text");
            FToken = TJsonToken::None;
            FValue = {};
            return false;
        }
        const char16_t c = FText[FPos];
        switch (FExpect) {
        case TExpect::Nothing:
            Fail("Unexpected text after the end of the JSON value: " + Printable(c));
        case TExpect::ValueOrEndArray:
            if (c == u']') {
                Close(TJsonToken::EndArray);
                return true;
            }
            [[fallthrough]];
        case TExpect::Value:
            ReadValue();
            return true;
        case TExpect::NameOrEndObject:
            if (c == u'}') {
                Close(TJsonToken::EndObject);
                return true;
            }
            [[fallthrough]];
        case TExpect::Name:
            ReadName();
            return true;
        case TExpect::CommaOrEnd:
            if (c == u',') {
                ++FPos;
                FExpect = FOpen.back() == '{' ? TExpect::Name : TExpect::Value;
                continue;
            }
            if (c == (FOpen.back() == '{' ? u'}' : u']')) {
                Close(FOpen.back() == '{' ? TJsonToken::EndObject : TJsonToken::EndArray);
                return true;
            }
            Fail("Expected ',' or the end of the " + std::string(FOpen.back() == '{' ? "object" : "array") +
                 " but found " + Printable(c));
        }
    }
}

void TJsonTokenReader::SkipBlanksAndComments()
{
    while (FPos < FText.size()) {
        if (IsBlank(FText[FPos])) {
            ++FPos;
        } else if (FText.substr(FPos, 2) == u"//") {
            const std::size_t end = FText.find(u'\n', FPos);
            FPos = end == std::u16string_view::npos ? FText.size() : end + 1;
        } else if (FText.substr(FPos, 2) == u"/*") {
            const std::size_t end = FText.find(u"*/", FPos + 2);
            if (end == std::u16string_view::npos)
                Fail("Unterminated comment");
            FPos = end + 2;
        } else {
            return;
        }
    }
}

void TJsonTokenReader::Deliver(TJsonToken token, TJsonTokenValue value)
{
    FToken = token;
    FValue = std::move(value);
}

void TJsonTokenReader::Close(TJsonToken token)
{
    ++FPos;
    FOpen.pop_back();
    Deliver(token);
    ValueDone();
}

void TJsonTokenReader::ValueDone()
{
    FExpect = FOpen.empty() ? TExpect::Nothing : TExpect::CommaOrEnd;
}

void TJsonTokenReader::ReadName()
{
    const char16_t c = FText[FPos];
    std::u16string name;
    if (c == u'"' || c == u'\'')
        name = ReadQuoted();
    else if (IsNameChar(c))
        name = ReadIdentifier();
    else
        Fail("Expected a property name but found " + Printable(c));
    SkipBlanksAndComments();
    if (FPos == FText.size() || FText[FPos] != u':')
        Fail("Expected ':' after a property name");
    ++FPos;
    Deliver(TJsonToken::PropertyName, std::move(name));
    FExpect = TExpect::Value;
}

void TJsonTokenReader::ReadValue()
{
    const char16_t c = FText[FPos];
    if (c == u'{' || c == u'[') {
        ++FPos;
        FOpen.push_back(c == u'{' ? '{' : '[');
        Deliver(c == u'{' ? TJsonToken::StartObject : TJsonToken::StartArray);
        FExpect = c == u'{' ? TExpect::NameOrEndObject : TExpect::ValueOrEndArray;
        return;
    }
    if (c == u'"' || c == u'\'') {
        Deliver(TJsonToken::String, ReadQuoted());
    } else if (c == u'-' || (c >= u'0' && c <= u'9')) {
        ReadNumber();
    } else if (IsNameChar(c)) {
        const std::size_t start = FPos;
        const std::u16string word = ReadIdentifier();
        if (word == u"true" || word == u"false")
            Deliver(TJsonToken::Boolean, word == u"true");
        else if (word == u"null")
            Deliver(TJsonToken::Null);
        else if (word == u"undefined")
            Deliver(TJsonToken::Undefined);
        else if (word == u"NaN")
            Deliver(TJsonToken::Float, std::numeric_limits<double>::quiet_NaN());
        else if (word == u"Infinity")
            Deliver(TJsonToken::Float, std::numeric_limits<double>::infinity());
        else {
            FPos = start;
            Fail("Unexpected word in place of a value");
        }
    } else {
        Fail("Unexpected character " + Printable(c));
    }
    ValueDone();
}

std::u16string TJsonTokenReader::ReadIdentifier()
{
    const std::size_t start = FPos;
    while (FPos < FText.size() && IsNameChar(FText[FPos]))
        ++FPos;
    return std::u16string(FText.substr(start, FPos - start));
}

std::u16string TJsonTokenReader::ReadQuoted()
{
    const char16_t quote = FText[FPos++];
    std::u16string text;
    while (true) {
        const std::size_t run = FPos;
        while (FPos < FText.size() && FText[FPos] != quote && FText[FPos] != u'\\')
            ++FPos;
        text.append(FText.substr(run, FPos - run));
        if (FPos == FText.size())
            Fail("Unterminated string");
        if (FText[FPos++] == quote)
            return text;
        if (FPos == FText.size())
            Fail("Unterminated string");
        const char16_t escape = FText[FPos++];
        switch (escape) {
        case u'"':
        case u'\'':
        case u'\\':
        case u'/':
            text += escape;
            break;
        case u'b':
            text += u'\b';
            break;
        case u'f':
            text += u'\f';
            break;
        case u'n':
            text += u'\n';
            break;
        case u'r':
            text += u'\r';
            break;
        case u't':
            text += u'\t';
            break;
        case u'u': {
            unsigned unit = 0;
            for (int i = 0; i < 4; ++i) {
                const int digit = FPos < FText.size() ? text::HexDigitValue(FText[FPos]) : -1;
                if (digit < 0)
                    Fail("Invalid \\u escape");
                unit = unit * 16 + static_cast<unsigned>(digit);
                ++FPos;
            }
            text += static_cast<char16_t>(unit);
            break;
        }
        default:
            --FPos;
            Fail("Invalid escape " + Printable(escape));
        }
    }
}

void TJsonTokenReader::ReadNumber()
{
    const std::size_t start = FPos;
    const bool negative = FText[FPos] == u'-';
    FPos += negative;
    auto digitAt = [&](std::size_t at) {
        return at < FText.size() && FText[at] >= u'0' && FText[at] <= u'9';
    };

    if (FText.substr(FPos, 8) == u"Infinity") {
        FPos += 8;
        Deliver(TJsonToken::Float, negative ? -std::numeric_limits<double>::infinity()
                                            : std::numeric_limits<double>::infinity());
    } else if (FText.substr(FPos, 2) == u"0x" || FText.substr(FPos, 2) == u"0X") {
        FPos += 2;
        std::uint64_t magnitude = 0;
        const std::size_t digits = FPos;
        for (int digit; FPos < FText.size() && (digit = text::HexDigitValue(FText[FPos])) >= 0; ++FPos) {
            if (magnitude > (std::numeric_limits<std::uint64_t>::max() >> 4))
                Fail("Hexadecimal number too large");
            magnitude = magnitude * 16 + static_cast<unsigned>(digit);
        }
        if (FPos == digits)
            Fail("Hexadecimal number without digits");
        const std::uint64_t limit = negative ? std::uint64_t{1} << 63 : (std::uint64_t{1} << 63) - 1;
        if (magnitude > limit)
            Fail("Hexadecimal number too large");
        const std::int64_t number =
            negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
        if (number >= std::numeric_limits<std::int32_t>::min() &&
            number <= std::numeric_limits<std::int32_t>::max())
            Deliver(TJsonToken::Integer, static_cast<std::int32_t>(number));
        else
            Deliver(TJsonToken::Integer, number);
    } else {
        if (!digitAt(FPos))
            Fail("Invalid number");
        if (FText[FPos] == u'0' && digitAt(FPos + 1))
            Fail("Invalid number with a leading zero");
        while (digitAt(FPos))
            ++FPos;
        bool integral = true;
        if (FPos < FText.size() && FText[FPos] == u'.') {
            integral = false;
            if (!digitAt(++FPos))
                Fail("Invalid number: no digits after '.'");
            while (digitAt(FPos))
                ++FPos;
        }
        if (FPos < FText.size() && (FText[FPos] == u'e' || FText[FPos] == u'E')) {
            integral = false;
            ++FPos;
            if (FPos < FText.size() && (FText[FPos] == u'+' || FText[FPos] == u'-'))
                ++FPos;
            if (!digitAt(FPos))
                Fail("Invalid number: no digits in the exponent");
            while (digitAt(FPos))
                ++FPos;
        }
        std::string ascii(FText.begin() + static_cast<std::ptrdiff_t>(start),
                          FText.begin() + static_cast<std::ptrdiff_t>(FPos));
        std::int64_t number = 0;
        if (integral &&
            std::from_chars(ascii.data(), ascii.data() + ascii.size(), number).ec == std::errc()) {
            if (number >= std::numeric_limits<std::int32_t>::min() &&
                number <= std::numeric_limits<std::int32_t>::max())
                Deliver(TJsonToken::Integer, static_cast<std::int32_t>(number));
            else
                Deliver(TJsonToken::Integer, number);
        } else {
            double real = 0;
            const auto result = std::from_chars(ascii.data(), ascii.data() + ascii.size(), real);
            if (result.ec == std::errc::result_out_of_range)
                real = ascii.find_first_of("eE") != std::string::npos &&
                               ascii[ascii.find_first_of("eE") + 1] == '-'
                           ? (negative ? -0.0 : 0.0)
                           : (negative ? -std::numeric_limits<double>::infinity()
                                       : std::numeric_limits<double>::infinity());
            Deliver(TJsonToken::Float, real);
        }
    }
    if (FPos < FText.size() && IsNameChar(FText[FPos]))
        Fail("Unexpected character " + Printable(FText[FPos]) + " after a number");
}

} // namespace bramolt::dataset
