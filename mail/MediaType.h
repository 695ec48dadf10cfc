#pragma once

#include <string>
#include <string_view>

namespace bramolt::mail {

// The media type of an attachment, chosen by the file name's extension (letter case
// ignored); "application/octet-stream" for any other.
std::string MediaTypeOf(std::u16string_view fileName);

} // namespace bramolt::mail
