#include "mail/HeaderText.h"

#include "fileout/Base64.h"
#include "text/Utf8.h"

namespace bramolt::mail {

namespace {

// RFC 5322 asks for lines of at most 78 characters; 76 leaves room as RFC 2047 wants.
constexpr std::size_t kLineLimit = 76;
// 39 bytes make 52 Base64 characters: "=?UTF-8?B?" + 52 + "?=" is 64 characters, which fits
// beside "Subject: " within the line limit.
constexpr std::size_t kWordBytes = 39;

std::string QuotedString(std::string_view text)
{
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

THeaderField::THeaderField(std::string_view name) : FText(std::string(name) + ":"), FLineLength(FText.size())
{
}

void THeaderField::Add(std::string_view piece)
{
    if (!FEmpty && FLineLength + 1 + piece.size() > kLineLimit) {
        FText += "\r\n";
        FLineLength = 0;
    }
    FText += ' ';
    FText += piece;
    FLineLength += 1 + piece.size();
    FEmpty = false;
}

void THeaderField::Attach(std::string_view text)
{
    FText += text;
    FLineLength += text.size();
}

bool NeedsEncoding(std::u16string_view text)
{
    for (const char16_t c : text)
        if (c < 0x20 || c > 0x7E)
            return true;
    return false;
}

std::u16string WithoutLineBreaks(std::u16string_view text)
{
    std::u16string result(text);
    for (auto& c : result)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    return result;
}

std::vector<std::string> EncodedWords(std::string_view utf8)
{
    std::vector<std::string> words;
    while (!utf8.empty()) {
        std::size_t take = std::min(kWordBytes, utf8.size());
        while (take < utf8.size() && take > 0 && IsContinuationByte(utf8[take]))
            --take;
        if (take == 0)
            take = std::min(kWordBytes, utf8.size()); // no character start: malformed, cut anyway
        words.push_back("=?UTF-8?B?" + fileout::EncodeBase64Lines(utf8.substr(0, take)) + "?=");
        utf8.remove_prefix(take);
    }
    return words;
}

void AddUnstructured(THeaderField& field, std::u16string_view text)
{
    const std::u16string clean = WithoutLineBreaks(text);
    if (NeedsEncoding(clean)) {
        for (const auto& word : EncodedWords(text::ToUtf8(clean)))
            field.Add(word);
        return;
    }
    // Folding happens only at the text's own blanks, so unfolding gives the text back.
    const std::string plain = text::ToUtf8(clean);
    std::size_t at = 0;
    for (;;) {
        const std::size_t blank = plain.find(' ', at);
        field.Add(
            std::string_view(plain).substr(at, blank == std::string::npos ? std::string::npos : blank - at));
        if (blank == std::string::npos)
            break;
        at = blank + 1;
    }
}

void AddMailbox(THeaderField& field, const TMailAddress& mailbox)
{
    const std::u16string name = WithoutLineBreaks(mailbox.Name);
    const std::string address = text::ToUtf8(mailbox.Address);
    if (name.empty()) {
        field.Add(address);
        return;
    }
    if (NeedsEncoding(name)) {
        for (const auto& word : EncodedWords(text::ToUtf8(name)))
            field.Add(word);
    } else {
        field.Add(QuotedString(text::ToUtf8(name)));
    }
    field.Add("<" + address + ">");
}

void AddMailboxList(THeaderField& field, const std::vector<TMailAddress>& list)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            field.Attach(",");
        AddMailbox(field, list[i]);
    }
}

std::string QuotedParameter(std::u16string_view value)
{
    const std::u16string clean = WithoutLineBreaks(value);
    if (!NeedsEncoding(clean))
        return QuotedString(text::ToUtf8(clean));
    std::string words;
    for (const auto& word : EncodedWords(text::ToUtf8(clean)))
        words += (words.empty() ? "" : " ") + word;
    return "\"" + words + "\"";
}

} // namespace bramolt::mail
