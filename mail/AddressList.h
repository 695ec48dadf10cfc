#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bramolt::mail {

// One mailbox of an address list: an optional display name and the address.
struct TMailAddress {
    std::u16string Name;
    std::u16string Address;

    bool operator==(const TMailAddress&) const = default;
};

// Reads an address list in the syntax of RFC 5322 (section 3.4), leniently:
// - entries are separated by "," or ";" outside quotes, comments, angle brackets and
//   domain literals;
// - an entry is a bare address, or a display name (atoms and quoted strings, whose
//   escapes are undone) followed by an address in angle brackets;
// - comments in parentheses (nested, with escapes) count as blanks and are dropped;
// - a group name ("Team: a@x, b@y;") is dropped and its members are read as entries;
// - entries without an address are dropped;
// - an unterminated quote, comment or angle bracket runs to the end of the text.
// The address keeps its text as written (quoted local parts included) without the blanks
// at its ends. Nothing is refused here: DeliverMail checks the addresses it will send.
std::vector<TMailAddress> ParseAddressList(std::u16string_view text);

} // namespace bramolt::mail
