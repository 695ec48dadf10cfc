#include "mail/AddressList.h"

#include "mail/MailError.h"
#include "text/HexDigits.h"
#include "text/Trim.h"

namespace bramolt::mail {

namespace {

// An error message shows at most this much of the entry at fault.
constexpr std::size_t kShownLength = 200;

bool IsSeparator(char c)
{
    return c == ',' || c == ';';
}

// The characters of an atom (RFC 5322 section 3.2.3).
bool IsAtext(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

// The C1 control characters U+0080 to U+009F, encoded as C2 80 to C2 9F.
bool IsC1Control(std::string_view text, std::size_t at)
{
    return static_cast<unsigned char>(text[at]) == 0xC2 && at + 1 < text.size() &&
           static_cast<unsigned char>(text[at + 1]) <= 0x9F;
}

bool IsControl(std::string_view text, std::size_t at)
{
    const auto c = static_cast<unsigned char>(text[at]);
    return c < 0x20 || c == 0x7F || IsC1Control(text, at);
}

// Characters beyond ASCII stand in atoms as RFC 6532 allows; controls never do.
bool IsWordByte(std::string_view text, std::size_t at)
{
    const auto c = static_cast<unsigned char>(text[at]);
    return c >= 0x80 ? !IsC1Control(text, at) : IsAtext(static_cast<char>(c));
}

// The entry as an error message shows it: controls escaped, long text cut.
std::string Shown(std::string_view entry)
{
    std::string shown;
    std::size_t i = 0;
    for (; i < entry.size() && shown.size() < kShownLength; ++i) {
        const auto c = static_cast<unsigned char>(entry[i]);
        if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else if (c == '\t')
            shown += "\\t";
        else if (IsControl(entry, i)) {
            const unsigned code = IsC1Control(entry, i) ? static_cast<unsigned char>(entry[++i]) : c;
            shown += code >= 0x80 ? "\\u00" : "\\x";
            shown += static_cast<char>(text::UpperHexDigit(code >> 4));
            shown += static_cast<char>(text::UpperHexDigit(code));
        } else
            shown += static_cast<char>(c);
    }
    if (i < entry.size()) {
        while (!shown.empty() && (static_cast<unsigned char>(shown.back()) & 0xC0) == 0x80)
            shown.pop_back();
        if (!shown.empty() && static_cast<unsigned char>(shown.back()) >= 0xC0)
            shown.pop_back();
        shown += "...";
    }
    return shown;
}

// A recursive-descent reader of the list, one entry at a time. Every rule either consumes
// what it expects or fails the whole list.
class TListReader {
  public:
    TListReader(std::string_view text, std::string_view field) : FText(text), FField(field) {}

    std::vector<TMailAddress> Read(bool single)
    {
        std::vector<TMailAddress> list;
        for (;;) {
            Entry(list);
            if (AtEnd())
                return list;
            if (single)
                Fail();
            ++FAt; // the separator
        }
    }

  private:
    bool AtEnd() const { return FAt >= FText.size(); }
    char Peek() const { return AtEnd() ? '\0' : FText[FAt]; }

    void Entry(std::vector<TMailAddress>& list)
    {
        FEntryStart = FAt;
        SkipBlanks();
        if (AtEnd() || IsSeparator(Peek()))
            return;
        const std::size_t start = FAt;
        TMailAddress mailbox;
        while (!AtEnd()) {
            std::string word;
            if (Peek() == '"')
                word = QuotedString(false);
            else if (IsPhraseByte())
                word = Run([&] { return IsPhraseByte(); });
            else
                break;
            if (!mailbox.Name.empty() && !word.empty())
                mailbox.Name += ' ';
            mailbox.Name += word;
            SkipBlanks();
        }
        if (Peek() == '<') {
            ++FAt;
            mailbox.Address = AddrSpec();
            Expect('>');
        } else {
            // No angle bracket: the entry is a bare address, read again from its start.
            FAt = start;
            mailbox.Name.clear();
            mailbox.Address = AddrSpec();
        }
        SkipBlanks();
        if (!AtEnd() && !IsSeparator(Peek()))
            Fail();
        list.push_back(std::move(mailbox));
    }

    // Obsolete phrases (RFC 5322 section 4.1) allow dots in display names: "John Q. Public".
    bool IsPhraseByte() const { return !AtEnd() && (Peek() == '.' || IsWordByte(FText, FAt)); }

    template <typename TAccept> std::string Run(TAccept accept)
    {
        const std::size_t begin = FAt;
        while (accept())
            ++FAt;
        return std::string(FText.substr(begin, FAt - begin));
    }

    // Blanks and comments; a comment nests and may hold escaped characters.
    void SkipBlanks()
    {
        int depth = 0;
        while (!AtEnd()) {
            const char c = Peek();
            if (IsControl(FText, FAt))
                Fail();
            if (c == '(') {
                ++depth;
            } else if (c == ')' && depth > 0) {
                --depth;
            } else if (c == '\\' && depth > 0) {
                ++FAt;
                if (AtEnd() || IsControl(FText, FAt))
                    Fail();
            } else if (c != ' ' && depth == 0) {
                return;
            }
            ++FAt;
        }
        if (depth > 0)
            Fail();
    }

    // A quoted string at the current position: its content with escapes undone, or (for a
    // local part, where it is kept as written) the whole string, which may hold no blank and
    // no angle bracket: the address travels inside <...> in the SMTP dialogue, where a server
    // that ends the path at the first '>' would read the rest as parameters.
    std::string QuotedString(bool asLocalPart)
    {
        const auto unsafeInPath = [&] {
            return asLocalPart && (Peek() == ' ' || Peek() == '<' || Peek() == '>');
        };
        const std::size_t begin = FAt++;
        std::string content;
        for (;;) {
            if (AtEnd() || IsControl(FText, FAt) || unsafeInPath())
                Fail();
            const char c = FText[FAt++];
            if (c == '"')
                break;
            if (c == '\\') {
                if (AtEnd() || IsControl(FText, FAt) || unsafeInPath())
                    Fail();
                content += FText[FAt++];
            } else {
                content += c;
            }
        }
        return asLocalPart ? std::string(FText.substr(begin, FAt - begin)) : content;
    }

    // Atoms joined by single dots.
    void DotAtom()
    {
        for (;;) {
            if (Run([&] { return !AtEnd() && IsWordByte(FText, FAt); }).empty())
                Fail();
            if (Peek() != '.')
                return;
            ++FAt;
        }
    }

    std::string AddrSpec()
    {
        const std::size_t begin = FAt;
        if (Peek() == '"') {
            QuotedString(true);
        } else {
            // Local parts with dots at either end or doubled exist in the wild and servers
            // take them; only the domain is held to dot-atom form.
            if (Run([&] { return IsPhraseByte(); }).empty())
                Fail();
        }
        Expect('@');
        if (Peek() == '[') {
            ++FAt;
            // No angle bracket either, for the same reason as in a quoted local part.
            Run([&] {
                const char c = Peek();
                return c > ' ' && c < 0x7F && c != '[' && c != ']' && c != '\\' && c != '<' && c != '>';
            });
            Expect(']');
        } else {
            DotAtom();
        }
        if (FAt - begin > kMaxAddressLength)
            Fail();
        return std::string(FText.substr(begin, FAt - begin));
    }

    void Expect(char c)
    {
        if (Peek() != c || AtEnd())
            Fail();
        ++FAt;
    }

    // The entry at fault runs from its start to the next separator at or after the fault.
    [[noreturn]] void Fail() const
    {
        std::size_t end = FText.find_first_of(",;", FAt);
        if (end == std::string_view::npos)
            end = FText.size();
        const std::string_view entry =
            text::Trim(FText.substr(FEntryStart, end - FEntryStart), text::IsSpace);
        throw EMailError("Invalid e-mail address in " + std::string(FField) + ": \"" + Shown(entry) + "\"");
    }

    std::string_view FText;
    std::string_view FField;
    std::size_t FAt = 0;
    std::size_t FEntryStart = 0;
};

} // namespace

std::vector<TMailAddress> ParseAddressList(std::string_view utf8, std::string_view field)
{
    return TListReader(utf8, field).Read(false);
}

std::optional<TMailAddress> ParseMailbox(std::string_view utf8, std::string_view field)
{
    auto list = TListReader(utf8, field).Read(true);
    if (list.empty())
        return std::nullopt;
    return std::move(list.front());
}

} // namespace bramolt::mail
