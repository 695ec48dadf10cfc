#pragma once

#include <string>
#include <string_view>

namespace bramolt {

// The LocalServer32 value for an executable. COM runs that value as a command
// line, so an unquoted path with a blank would make Windows try to start
// "C:\Program" first. A path without blanks is used as it is; otherwise its
// short (8.3) form, unless that still has a blank (short names disabled on
// the volume, or `shortPath` empty because they could not be read): then the
// long path in double quotes.
std::wstring LocalServer32Value(std::wstring_view longPath, std::wstring_view shortPath);

} // namespace bramolt
