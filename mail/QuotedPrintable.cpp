#include "mail/QuotedPrintable.h"

#include "text/HexDigits.h"

namespace bramolt::mail {

namespace {

constexpr std::size_t kMaxLine = 76;

bool IsLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

std::string EncodeQuotedPrintable(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t column = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsLineBreak(c)) {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\r\n";
            column = 0;
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        const bool lineEnds = i + 1 == text.size() || IsLineBreak(text[i + 1]);
        const bool literal =
            (byte >= 33 && byte <= 126 && c != '=') || ((c == ' ' || c == '\t') && !lineEnds);
        const std::size_t width = literal ? 1 : 3;
        // The last character of a line may use the column the "=" of a soft break needs.
        const std::size_t room = lineEnds ? kMaxLine : kMaxLine - 1;
        if (column + width > room) {
            out += "=\r\n";
            column = 0;
        }
        if (literal) {
            out += c;
        } else {
            out += '=';
            out += static_cast<char>(text::UpperHexDigit(byte >> 4));
            out += static_cast<char>(text::UpperHexDigit(byte & 0x0F));
        }
        column += width;
    }
    return out;
}

} // namespace bramolt::mail
