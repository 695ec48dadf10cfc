// Entry point of Bramolt.exe, the local automation server.

#include "app/CommandLine.h"
#include "app/Registration.h"
#include "app/ServerProcess.h"
#include "automation/ComFailure.h"
#include "text/WideView.h"

// The other system headers rely on windows.h's definitions.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TLocalFree {
    void operator()(LPWSTR* block) const noexcept { ::LocalFree(block); }
};

// The arguments after the program name.
std::vector<std::wstring> CommandLineArguments()
{
    int count = 0;
    const std::unique_ptr<LPWSTR, TLocalFree> arguments(::CommandLineToArgvW(::GetCommandLineW(), &count));
    if (!arguments)
        return {};
    return std::vector<std::wstring>(arguments.get() + (count > 0 ? 1 : 0), arguments.get() + count);
}

// The error box names the kind of error and carries its message.
std::wstring ErrorText(const std::exception& error)
{
    const std::wstring message = bramolt::text::WideFromUtf8(error.what());
    if (const auto* comError = dynamic_cast<const bramolt::EComError*>(&error)) {
        wchar_t code[48];
        std::swprintf(code, std::size(code), L"COM error 0x%08lX: ",
                      static_cast<unsigned long>(comError->Code()));
        return code + message;
    }
    if (dynamic_cast<const bramolt::ERegistrationError*>(&error))
        return L"Registration error: " + message;
    return L"Error: " + message;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    try {
        const std::vector<std::wstring> arguments = CommandLineArguments();
        const std::vector<std::wstring_view> views(arguments.begin(), arguments.end());
        return bramolt::RunServer(instance, bramolt::ParseCommandLine(views));
    } catch (const std::exception& error) {
        ::MessageBoxW(nullptr, ErrorText(error).c_str(), L"Application Error", MB_OK | MB_ICONERROR);
        return 1;
    }
}
