#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bramolt::mail {

// One reply of an SMTP server (RFC 5321 section 4.2): a three-digit code and one or more
// lines of text.
struct TSmtpReply {
    int Code = 0;
    // The text of each line, after the code and its separator.
    std::vector<std::string> Lines;

    // The reply's text as callers see it in a failure: the lines joined by CR LF.
    std::string Text() const;
};

// Splits the bytes a server sends into replies. A line is "ddd text" (the last line of a
// reply), "ddd-text" (more lines follow) or "ddd" alone; it ends with CR LF, and a bare LF
// is accepted too. A line that does not start with three digits, a line longer than
// kMaxLine and a reply longer than kMaxReply are errors (EMailError): nothing a real server
// sends, and the reader must not grow without bound.
class TSmtpReplyReader {
  public:
    static constexpr std::size_t kMaxLine = 64 * 1024;
    static constexpr std::size_t kMaxReply = 1024 * 1024;

    void Feed(std::string_view bytes);
    // The next complete reply, or nothing until more bytes arrive.
    std::optional<TSmtpReply> Next();
    // Forgets unread bytes: after STARTTLS nothing sent before the handshake may count
    // (RFC 3207 section 4.2).
    void Discard();

  private:
    std::string FBuffer;
    std::size_t FStart = 0;
};

} // namespace bramolt::mail
