#include "app/CommandLine.h"

#include "text/CaseFolding.h"

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

bool IsSwitch(std::wstring_view argument, std::wstring_view name)
{
    if (argument.empty() || (argument.front() != L'-' && argument.front() != L'/'))
        return false;
    argument.remove_prefix(1);
    return text::EqualsIgnoringAsciiCase(argument, name);
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
