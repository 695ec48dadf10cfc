#pragma once

#include <string>
#include <string_view>

namespace bramolt::fileout {

// UTF-8 bytes of a UTF-16 text, without a byte-order mark. A lone surrogate (a high one not
// followed by a low one, or a low one on its own) becomes U+FFFD, as the platform's own
// UTF-16 to UTF-8 conversion does: the result is always well-formed UTF-8.
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-16 text of UTF-8 bytes. Every byte that does not belong to a well-formed sequence
// (RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF) becomes one U+FFFD.
std::u16string Utf8ToUtf16(std::string_view bytes);

} // namespace bramolt::fileout
