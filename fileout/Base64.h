#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bramolt::fileout {

// Base64 with the alphabet of RFC 4648 section 4 ("A"-"Z", "a"-"z", "0"-"9", "+", "/") and
// "=" as the pad character. Bytes travel in std::string / std::string_view, any values.

// Encodes `bytes` in lines of 76 characters (19 complete 4-character groups, 57 input bytes),
// each complete line followed by CR LF - also the last one, so a non-zero multiple of 57
// bytes ends with CR LF. A final group of 1 or 2 bytes ("xx==" / "xxx=") never completes a
// line, and a shorter last line gets no line break.
std::string EncodeBase64Lines(std::string_view bytes);

// Exact length of EncodeBase64Lines' result for `byteCount` input bytes.
std::size_t EncodedBase64LinesSize(std::size_t byteCount) noexcept;

// Lenient decoding: every byte outside the alphabet is skipped wherever it stands (line
// breaks, blanks, "=", "-", "_", bytes of non-ASCII characters); "=" does not end the data.
// Each 4 alphabet characters give 3 bytes; at the end 2 or 3 characters give 1 or 2 bytes
// (leftover low bits dropped) and a single character gives nothing. Never fails.
std::string DecodeBase64Lenient(std::string_view text);

} // namespace bramolt::fileout
