#include "mail/HeaderText.h"

#include "fileout/Base64.h"

#include <algorithm>

namespace bramolt::mail {

namespace {

// 39 bytes make 52 Base64 characters: "=?UTF-8?B?" + 52 + "?=" is 64 characters, which fits
// beside "Subject: " or "filename=\"" within the line limit, and within the 75 characters
// RFC 2047 allows a word.
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

// Text that reads like an encoded word would be decoded by the recipient's program.
bool LooksEncoded(std::string_view text)
{
    return text.find("=?") != std::string_view::npos;
}

void AddEncoded(THeaderField& field, std::string_view utf8)
{
    for (const auto& word : EncodedWords(utf8))
        field.Add(word);
}

} // namespace

THeaderField::THeaderField(std::string_view name) : FText(std::string(name) + ":"), FLineLength(FText.size())
{
}

void THeaderField::Add(std::string_view piece)
{
    if (!FEmpty && FLineLength + 1 + piece.size() > kHeaderLineLimit) {
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

bool NeedsEncoding(std::string_view utf8)
{
    return std::any_of(utf8.begin(), utf8.end(), [](char c) { return c < 0x20 || c > 0x7E; });
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

void AddUnstructured(THeaderField& field, std::string_view utf8)
{
    std::string clean(utf8);
    std::replace_if(
        clean.begin(), clean.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    std::vector<std::string_view> words;
    for (std::size_t at = 0;;) {
        const std::size_t blank = clean.find(' ', at);
        words.push_back(std::string_view(clean).substr(at, blank == std::string::npos ? blank : blank - at));
        if (blank == std::string::npos)
            break;
        at = blank + 1;
    }
    // A word that no folded line can hold is encoded with the rest: encoded words can be cut
    // anywhere between characters.
    const bool tooLong =
        std::any_of(words.begin(), words.end(), [](auto word) { return word.size() >= kHeaderLineLimit; });
    if (tooLong || NeedsEncoding(clean) || LooksEncoded(clean))
        return AddEncoded(field, clean);
    // Folding happens only at the text's own blanks, so unfolding gives the text back.
    for (const auto word : words)
        field.Add(word);
}

void AddMailbox(THeaderField& field, const TMailAddress& mailbox)
{
    if (mailbox.Name.empty()) {
        field.Add(mailbox.Address);
        return;
    }
    const std::string quoted = QuotedString(mailbox.Name);
    if (quoted.size() >= kHeaderLineLimit || NeedsEncoding(mailbox.Name) || LooksEncoded(mailbox.Name))
        AddEncoded(field, mailbox.Name);
    else
        field.Add(quoted);
    field.Add("<" + mailbox.Address + ">");
}

void AddMailboxList(THeaderField& field, const std::vector<TMailAddress>& list)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i > 0)
            field.Attach(",");
        AddMailbox(field, list[i]);
    }
}

void AddParameter(THeaderField& field, std::string_view attribute, std::string_view utf8)
{
    field.Attach(";");
    const std::string prefix = std::string(attribute) + "=";
    const std::string quoted = prefix + QuotedString(utf8);
    if (quoted.size() < kHeaderLineLimit && !NeedsEncoding(utf8) && !LooksEncoded(utf8))
        return field.Add(quoted);
    const auto words = EncodedWords(utf8);
    for (std::size_t i = 0; i < words.size(); ++i)
        field.Add((i == 0 ? prefix + "\"" : std::string()) + words[i] + (i + 1 == words.size() ? "\"" : ""));
}

} // namespace bramolt::mail
