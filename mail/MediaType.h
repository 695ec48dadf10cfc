#pragma once

#include <string>
#include <string_view>

namespace bramolt::mail {

// The media type of an attachment, chosen by the extension of its UTF-8 file name (letter case
// ignored); "application/octet-stream" for any other.
std::string MediaTypeOf(std::string_view fileName);

} // namespace bramolt::mail
