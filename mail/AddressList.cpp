#include "mail/AddressList.h"

namespace bramolt::mail {

namespace {

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

std::u16string_view Trim(std::u16string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The entry being read. The display name collects words with single blanks between them;
// the bare text and the angle text keep what was written, comments excepted.
class TEntry {
  public:
    void Blank() { FPendingBlank = !FName.empty(); }
    void NameText(std::u16string_view text)
    {
        if (FPendingBlank)
            FName += u' ';
        FPendingBlank = false;
        FName += text;
    }
    void BareText(std::u16string_view text) { FBare += text; }
    void AngleText(std::u16string_view text) { FAngle += text; }
    void OpenAngle()
    {
        FHasAngle = true;
        FAngle.clear();
    }
    bool HasAngle() const { return FHasAngle; }

    void Finish(std::vector<TMailAddress>& list)
    {
        TMailAddress address;
        if (FHasAngle) {
            address.Name = FName;
            address.Address = Trim(FAngle);
        } else {
            address.Address = Trim(FBare);
        }
        if (!address.Address.empty())
            list.push_back(std::move(address));
        *this = TEntry();
    }

  private:
    std::u16string FName;
    std::u16string FBare;
    std::u16string FAngle;
    bool FPendingBlank = false;
    bool FHasAngle = false;
};

// Reads a quoted string or a comment whose opening character is at `at`. Returns the
// position after its end, and its content with escapes undone in `content`.
std::size_t ReadDelimited(std::u16string_view text, std::size_t at, char16_t close, std::u16string& content)
{
    const char16_t open = text[at];
    int depth = 1;
    std::size_t i = at + 1;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'\\' && i + 1 < text.size()) {
            content += text[++i];
        } else if (c == close && --depth == 0) {
            return i + 1;
        } else {
            if (c == open && open != close)
                ++depth;
            content += c;
        }
    }
    return i;
}

} // namespace

std::vector<TMailAddress> ParseAddressList(std::u16string_view text)
{
    std::vector<TMailAddress> list;
    TEntry entry;
    bool inAngle = false;
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (c == u'"') {
            std::u16string content;
            const std::size_t end = ReadDelimited(text, i, u'"', content);
            const std::u16string_view raw = text.substr(i, end - i);
            if (inAngle) {
                entry.AngleText(raw);
            } else {
                entry.NameText(content);
                entry.BareText(raw);
            }
            i = end;
            continue;
        }
        if (c == u'(') {
            std::u16string ignored;
            i = ReadDelimited(text, i, u')', ignored);
            if (!inAngle)
                entry.Blank();
            continue;
        }
        if (c == u'[') {
            // A domain literal: its characters are no separators.
            const std::size_t close = text.find(u']', i);
            const std::size_t end = close == std::u16string_view::npos ? text.size() : close + 1;
            const std::u16string_view raw = text.substr(i, end - i);
            if (inAngle) {
                entry.AngleText(raw);
            } else {
                entry.NameText(raw);
                entry.BareText(raw);
            }
            i = end;
            continue;
        }
        ++i;
        if (inAngle) {
            if (c == u'>')
                inAngle = false;
            else
                entry.AngleText(std::u16string_view(&c, 1));
        } else if (c == u',' || c == u';') {
            entry.Finish(list);
        } else if (c == u'<') {
            inAngle = true;
            entry.OpenAngle();
        } else if (c == u':' && !entry.HasAngle()) {
            entry = TEntry(); // the group's name
        } else if (entry.HasAngle()) {
            // Text after the angle brackets belongs to no part of the mailbox.
        } else if (IsBlank(c)) {
            entry.Blank();
            entry.BareText(std::u16string_view(&c, 1));
        } else {
            entry.NameText(std::u16string_view(&c, 1));
            entry.BareText(std::u16string_view(&c, 1));
        }
    }
    entry.Finish(list);
    return list;
}

} // namespace bramolt::mail
