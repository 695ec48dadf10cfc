#pragma once

// The system's own description of an error code, in the user's language (Windows only).

#include <cstdint>
#include <string>

namespace bramolt::text {

// The description with its trailing line break and blanks removed; the empty text when the
// system has none for `code`.
std::u16string SystemMessage(std::uint32_t code);

} // namespace bramolt::text
