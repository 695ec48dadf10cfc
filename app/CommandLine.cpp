#include "app/CommandLine.h"

#include <algorithm>
#include <array>

namespace bramolt {

namespace {

struct TSwitch {
    std::wstring_view Name;
    TStartOptions Options;
};

// The order is the precedence.
constexpr std::array kSwitches{
    TSwitch{L"AUTOMATION", {TStartMode::smAutomation, false}},
    TSwitch{L"EMBEDDING", {TStartMode::smAutomation, false}},
    TSwitch{L"REGSERVER", {TStartMode::smRegister, false}},
    TSwitch{L"UNREGSERVER", {TStartMode::smUnregister, false}},
    TSwitch{L"REGSERVERPERUSER", {TStartMode::smRegister, true}},
    TSwitch{L"UNREGSERVERPERUSER", {TStartMode::smUnregister, true}},
};

// Switch names are ASCII; folding only ASCII letters keeps look-alike
// characters of other scripts from matching them.
wchar_t FoldAscii(wchar_t c)
{
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool IsSwitch(std::wstring_view argument, std::wstring_view name)
{
    if (argument.empty() || (argument.front() != L'-' && argument.front() != L'/'))
        return false;
    argument.remove_prefix(1);
    return std::ranges::equal(argument, name, {}, FoldAscii, FoldAscii);
}

} // namespace

TStartOptions ParseCommandLine(std::span<const std::wstring_view> arguments)
{
    for (const TSwitch& candidate : kSwitches) {
        const bool present = std::ranges::any_of(
            arguments, [&](std::wstring_view argument) { return IsSwitch(argument, candidate.Name); });
        if (present)
            return candidate.Options;
    }
    return {};
}

} // namespace bramolt
