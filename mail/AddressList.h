#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bramolt::mail {

// One mailbox of an address list, in UTF-8: an optional display name and the address.
struct TMailAddress {
    std::string Name;
    std::string Address;

    bool operator==(const TMailAddress&) const = default;
};

// The longest address taken: the 256 octets of an SMTP path (RFC 5321 section 4.5.3.1.3)
// without its angle brackets. It also keeps every header line that holds one far below the
// 998 characters of RFC 5322.
inline constexpr std::size_t kMaxAddressLength = 254;

// Reads an address list (RFC 5322 section 3.4) strictly, because every address goes into an
// SMTP command and into the header: text that is not plainly a list of mailboxes must never
// be guessed at.
// - Entries are separated by "," or ";"; empty entries (also at the ends) are ignored.
// - An entry is an address ("local@domain"), or a display name of words and quoted strings
//   followed by the address in angle brackets; blanks and comments in parentheses may stand
//   around the words and the brackets, never inside the address.
// - The local part is atoms joined by dots or one quoted string (kept with its quotes); the
//   domain is labels joined by dots or a literal in brackets. Characters beyond ASCII pass.
// Refused, with EMailError "Invalid e-mail address in <field>: "<entry>"": any control
// character (CR, LF, NUL and TAB included) anywhere, an unquoted "@", ">", ":" or ";" in a
// display name, a blank inside an address, "<>", an unterminated quote, comment or bracket,
// an address longer than kMaxAddressLength, and anything left over after an address. Groups
// ("Team: a@x.org;") are refused with the rest: their ";" cannot be told from a separator.
std::vector<TMailAddress> ParseAddressList(std::string_view utf8, std::string_view field);

// Reads one mailbox in the same syntax, blanks around it allowed; nothing when the text is
// empty or blank. A second entry is refused like anything else left over.
std::optional<TMailAddress> ParseMailbox(std::string_view utf8, std::string_view field);

} // namespace bramolt::mail
