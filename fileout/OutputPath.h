#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace bramolt::fileout {

// Windows path rules for the files the server writes. They are checked the same way on every
// platform, so that a path refused on Windows is refused by the portable tests too.
enum class TPathFault {
    pfNone,
    pfEmpty,              // no characters at all
    pfBlank,              // only blanks (spaces, control characters)
    pfTooLong,            // longer than the 32,767 characters that Windows takes in any form
    pfForbiddenCharacter, // < > " | ? * or a control character below U+0020
    pfMisplacedColon,     // a colon anywhere but after a drive letter (it would name a stream)
};

// Path lengths count UTF-16 units, as the Windows limit does. Paths longer than the 260
// characters of the ordinary form are written through the extended-length form.
inline constexpr std::size_t kMaxPathLength = 32767;

// The first fault of `path` in the order listed above, or pfNone.
TPathFault CheckOutputPath(std::u16string_view path) noexcept;
// A short English reason, for diagnostics and test output.
std::string_view DescribePathFault(TPathFault fault) noexcept;

// A checked path made absolute against the process's current directory.
struct TOutputPath {
    std::u16string Full;              // what error messages show
    std::filesystem::path Operations; // what the file operations get (see ForFileOperations)
};

// Checks `path`, then makes it absolute by the platform's rules ("\\?\" paths stay as they
// are); the folder is neither checked nor created here. The limit also holds for the full path
// as the file operations get it. Throws EFileCreateError with the system's text for an
// invalid or too long name.
TOutputPath ResolveOutputPath(std::u16string_view path);

} // namespace bramolt::fileout
