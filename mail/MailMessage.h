#pragma once

// One message as it is composed (RFC 5322 with MIME, RFCs 2045 to 2049) and written in
// the DATA step: the header block, an HTML text part in quoted-printable UTF-8, and the
// attachments, each streamed from its file in Base64 while it is written.

#include "mail/AddressList.h"
#include "mail/ByteSink.h"

#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bramolt::mail {

// Texts are UTF-8.
struct TAttachment {
    std::string FileName; // the name the recipient sees
    std::unique_ptr<std::istream> Content;
};

struct TMailMessage {
    std::optional<TMailAddress> From;
    std::vector<TMailAddress> To;
    std::vector<TMailAddress> Cc;
    // Bcc recipients travel in the envelope only: the message has no field for them.
    std::string Subject;
    std::string Body;      // HTML
    std::string MessageId; // with its angle brackets; no field when empty
    std::vector<TAttachment> Attachments;
};

// Writes the message with CR LF line ends. Fields, in this order, each only when it has a
// value: From, Subject, To, Cc, the MIME fields, Date. Without attachments the message is
// the text part itself; with attachments it is multipart/mixed with `boundary`, which must
// not occur in any part (a boundary holding "=_" cannot occur in Base64 or
// quoted-printable text). Reads each attachment's stream to its end.
void WriteMessage(TMailMessage& message, std::string_view boundary, std::string_view date, TByteSink& out);

// A boundary that no encoded part can hold, unique for every call.
std::string NewBoundary();

} // namespace bramolt::mail
