#pragma once

// Header field values of a message (RFC 5322 section 2.2), from UTF-8 text: folded lines,
// quoted display names and RFC 2047 encoded words ("B" encoding, UTF-8) for text beyond
// printable ASCII and for words too long to fold.

#include "mail/AddressList.h"

#include <string>
#include <string_view>
#include <vector>

namespace bramolt::mail {

// RFC 5322 asks for lines of at most 78 characters; 76 leaves room as RFC 2047 wants.
inline constexpr std::size_t kHeaderLineLimit = 76;

// One header field being built. Pieces are appended with a blank before them, and a piece
// that would take the line past kHeaderLineLimit starts a new (folded) line instead. A piece
// longer than a whole line (only an address can be, and addresses are limited) stays
// whole on a line of its own.
class THeaderField {
  public:
    explicit THeaderField(std::string_view name);
    // The first piece goes right after the colon's blank; later ones after a blank.
    void Add(std::string_view piece);
    // Appends to the last piece without a blank (a separator such as ",").
    void Attach(std::string_view text);
    // The field with its CR LF.
    std::string Text() const { return FText + "\r\n"; }

  private:
    std::string FText;
    std::size_t FLineLength;
    bool FEmpty = true;
};

// True when the text holds anything outside printable ASCII (U+0020 to U+007E).
bool NeedsEncoding(std::string_view utf8);
// RFC 2047 encoded words of UTF-8 text, each at most 64 characters long and each holding
// whole characters, so that every word decodes on its own.
std::vector<std::string> EncodedWords(std::string_view utf8);

// A subject or other unstructured text: encoded words when needed (line breaks become
// blanks first), else the text itself, folded at its blanks.
void AddUnstructured(THeaderField& field, std::string_view utf8);
// A mailbox: the bare address, or the display name (quoted, or encoded words) and the
// address in angle brackets.
void AddMailbox(THeaderField& field, const TMailAddress& mailbox);
// The mailboxes separated by ", ".
void AddMailboxList(THeaderField& field, const std::vector<TMailAddress>& list);
// "; attribute=value" with the value a quoted string; text beyond printable ASCII, or too
// long for a line, as encoded words inside the quotes, folded between them, as mail
// programs read file names.
void AddParameter(THeaderField& field, std::string_view attribute, std::string_view utf8);

} // namespace bramolt::mail
