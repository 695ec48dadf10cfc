#pragma once

// The server's command-line switches. An argument is a switch when it starts
// with "-" or "/" and the whole rest equals a switch name, ignoring case: -RegServer
// and /REGSERVER match, /REG and REGSERVER do not. The switches are tried in a
// fixed order and the first one present anywhere on the line decides; the
// automation switches come first, so /REGSERVER /EMBEDDING serves COM and
// registers nothing. Other arguments are ignored.

#include <span>
#include <string_view>

namespace bramolt {

enum class TStartMode {
    smStandalone, // no switch: serve COM until the user ends the process
    smAutomation, // started by COM: end when the last object is released
    smRegister,   // write the registry entries, then exit
    smUnregister, // remove the registry entries, then exit
};

struct TStartOptions {
    TStartMode Mode = TStartMode::smStandalone;
    bool PerUser = false; // register below HKEY_CURRENT_USER instead of machine-wide

    friend bool operator==(const TStartOptions&, const TStartOptions&) = default;
};

// `arguments` excludes the program name.
TStartOptions ParseCommandLine(std::span<const std::wstring_view> arguments);

} // namespace bramolt
