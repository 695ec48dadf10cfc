#pragma once

// JSON text (RFC 8259, strict) to a tree of nodes. Failure is not an error here: invalid
// text gives no node and keeps nothing, because the automation method reports it as a
// plain value.

#include "json/JSONTree.h"

#include <memory>
#include <string_view>

namespace bramolt::json {

// Objects and arrays together may be nested this deep; one more level is invalid.
inline constexpr std::size_t JSONMaxDepth = 512;

// Parses UTF-16 text with the same result as encoding it to WTF-8 (text/Utf8.h) and
// parsing the bytes: a leading U+FEFF is skipped and any unit above ASCII, a lone
// surrogate included, is allowed inside strings only. Returns the new tree, or nullptr
// when the text is not valid JSON.
TJSONRoot ParseJSONValue(std::u16string_view text);

// Parses UTF-8 bytes in one pass without backtracking:
// - a leading byte order mark EF BB BF is skipped;
// - whitespace is space, tab, line feed and carriage return only;
// - after a top-level object or array whitespace may follow; after a top-level string,
//   number or literal nothing may follow, not even whitespace;
// - numbers keep their text exactly as written;
// - \u escapes give one UTF-16 unit each (a lone surrogate is kept as it is);
// - raw control characters and NUL inside strings stand for themselves;
// - bytes of 0x80 and above are allowed inside strings only and must form UTF-8
//   (encoded surrogates included, as WTF-8 writes them).
TJSONRoot ParseJSONValueUtf8(std::string_view bytes);

} // namespace bramolt::json
