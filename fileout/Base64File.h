#pragma once

#include <string_view>

namespace bramolt::fileout {

// The Base64 file operations of the automation interface. Both take the text's UTF-8 bytes
// (no byte-order mark; lone surrogates become U+FFFD) and write the whole file at
// `outputPath` with WriteWholeFile. They throw on any failure (EFileCreateError for the file,
// std::bad_alloc for memory); the caller reports success or failure as a boolean.

// Writes the Base64 form of the text's UTF-8 bytes in lines of 76 characters (EncodeBase64Lines).
void EncodeBase64ToFile(std::u16string_view inputText, std::u16string_view outputPath);

// Reads the text's UTF-8 bytes leniently as Base64 (DecodeBase64Lenient) and writes the
// decoded bytes, whatever they are.
void DecodeBase64ToFile(std::u16string_view inputText, std::u16string_view outputPath);

} // namespace bramolt::fileout
