#pragma once

#include <string>
#include <string_view>

namespace bramolt::mail {

// Quoted-printable encoding of text (RFC 2045 section 6.7). Every line break of the text
// (CR LF, a lone CR or a lone LF) becomes CR LF; encoded lines are at most 76 characters,
// longer ones are cut with soft line breaks ("=" at the end) that never split an "=XX";
// blanks before a line break or at the end are encoded so that no transport strips them.
std::string EncodeQuotedPrintable(std::string_view text);

} // namespace bramolt::mail
