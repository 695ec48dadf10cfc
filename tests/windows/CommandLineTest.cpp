// Start mode and per-user choice from the command line.

#include "ComTestSupport.h"

#include "app/CommandLine.h"

#include <vector>

namespace bramolt::test {
namespace {

using enum TStartMode;

struct TRow {
    std::vector<std::wstring_view> Arguments;
    TStartOptions Expected;
    const char* Reason;
};

TEST(CommandLineTest, SwitchesChooseModeAndPerUser)
{
    const TRow rows[] = {
        {{}, {smStandalone, false}, "no arguments"},
        {{L"file.txt", L"42"}, {smStandalone, false}, "other arguments are ignored"},
        {{L"/AUTOMATION"}, {smAutomation, false}, "automation switch"},
        {{L"-Embedding"}, {smAutomation, false}, "what COM appends when it starts the server"},
        {{L"/REGSERVER"}, {smRegister, false}, "machine-wide registration"},
        {{L"-regserver"}, {smRegister, false}, "case is ignored, '-' introduces a switch"},
        {{L"/RegServer"}, {smRegister, false}, "mixed case"},
        {{L"-unregserver"}, {smUnregister, false}, "machine-wide unregistration"},
        {{L"/REGSERVERPERUSER"}, {smRegister, true}, "per-user registration"},
        {{L"/UnRegServerPerUser"}, {smUnregister, true}, "per-user unregistration"},
        {{L"/REG"}, {smStandalone, false}, "a prefix of a switch matches nothing"},
        {{L"/REGSERVERX"}, {smStandalone, false}, "the whole rest must equal the name"},
        {{L"REGSERVER"}, {smStandalone, false}, "a switch needs its '-' or '/'"},
        {{L"\\REGSERVER"}, {smStandalone, false}, "only '-' and '/' introduce switches"},
        {{L"--regserver"}, {smStandalone, false}, "only one introducing character"},
        {{L"/"}, {smStandalone, false}, "a lone slash"},
        {{L""}, {smStandalone, false}, "an empty argument"},
        {{L"/REGSERVER", L"/EMBEDDING"}, {smAutomation, false}, "automation switches are tested first"},
        {{L"/UNREGSERVER", L"/REGSERVER"}, {smRegister, false}, "REGSERVER is tested before UNREGSERVER"},
        {{L"/REGSERVERPERUSER", L"/UNREGSERVER"}, {smUnregister, false}, "machine-wide before per-user"},
        {{L"x", L"/unregserverperuser", L"y"}, {smUnregister, true}, "a switch anywhere on the line"},
        {{L"/REG\u0130STER"}, {smStandalone, false}, "only ASCII letters fold"},
        {{L"/AUTOMAT\u0131ON"}, {smStandalone, false}, "dotless i is not I"},
    };
    for (const TRow& row : rows) {
        const TStartOptions actual = ParseCommandLine(row.Arguments);
        EXPECT_EQ(actual.Mode, row.Expected.Mode) << row.Reason;
        EXPECT_EQ(actual.PerUser, row.Expected.PerUser) << row.Reason;
    }
}

} // namespace
} // namespace bramolt::test
