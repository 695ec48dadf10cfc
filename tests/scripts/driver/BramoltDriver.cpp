// bramolt_driver: drives and inspects a running Bramolt.exe from inside the
// same Wine prefix, for the end-to-end tests. It finds the hidden main window,
// plays the shell's part (tray callbacks, menu keys), answers message boxes
// and counts processes of the prefix.
//
//   count-processes NAME                 print how many processes run NAME
//   wait-processes NAME COUNT SECONDS    wait until exactly COUNT run NAME
//   quit NAME SECONDS                    ask every process that runs NAME to quit (WM_QUIT to
//                                        its threads) and wait until they have ended
//   terminate NAME                       end every process that runs NAME at once
//   wait-file PATH SECONDS               wait until the file PATH exists
//   hold-file PATH RELEASE SECONDS       open PATH without letting others delete or write it, print
//                                        "held", and keep it open until the file RELEASE exists
//                                        (at most SECONDS), as a program that uses a file would
//   wait-window SECONDS                  wait for the server's main window
//   tray-icon                            exit 0 when the shell holds the server's icon
//   tray-forget                          make the shell drop the server's icon, as a restarted
//                                        shell would have
//   taskbar-created                      tell the main window that the shell was restarted
//   tray-click MESSAGE                   send the tray callback with a mouse message
//                                        (rbuttonup, lbuttonup, lbuttondblclk)
//   wait-menu SECONDS | no-menu SECONDS  wait for a popup menu / make sure none opens
//   choose-first-menu-item               pick the first item of the open popup menu
//   answer CAPTION yes|no SECONDS        print the text of the message box CAPTION, then press the button
//   no-window CAPTION SECONDS            make sure no window CAPTION appears
//   trust-root FILE                      add the DER certificate in FILE to the machine's
//                                        "ROOT" store, as an administrator would
//   window-answers SECONDS               send the main window a message and wait for its answer
//   time-calls PROGID version|json COUNT time COUNT calls of a new object (TimeCalls.h)
//   time-packet PROGID FILE READY        time DSToJSON of the packet in FILE (TimeCalls.h)
//
// Exit code 0 on success, 1 when the expected state did not come, 2 on usage errors.

#include "TimeCalls.h"

// The other system headers rely on windows.h's definitions.
#include <windows.h>

#include <shellapi.h>
#include <tlhelp32.h>
#include <wincrypt.h>

#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

namespace {

constexpr const wchar_t* kFormMainClass = L"TFormMain";
constexpr const wchar_t* kPopupMenuClass = L"#32768";
constexpr UINT kTrayCallbackMessage = WM_USER + 1;
constexpr UINT kTrayIconID = 1;

void PrintUtf8(std::wstring_view text)
{
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                             0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length,
                          nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                nullptr);
}

void Fail(const wchar_t* what)
{
    std::fwprintf(stderr, L"bramolt_driver: %ls\n", what);
    std::fflush(stderr);
}

// Polls `ready` every 100 ms until it holds or `seconds` pass.
bool WaitFor(double seconds, const std::function<bool()>& ready)
{
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000);
    for (;;) {
        if (ready())
            return true;
        if (::GetTickCount64() >= end)
            return false;
        ::Sleep(100);
    }
}

// Calls `visit` with the ID of every process of the prefix that runs `name`;
// returns how many there are, -1 when the processes cannot be listed.
int ForEachProcess(const wchar_t* name, const std::function<void(DWORD)>& visit)
{
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    int count = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry))
        if (::lstrcmpiW(entry.szExeFile, name) == 0) {
            ++count;
            visit(entry.th32ProcessID);
        }
    ::CloseHandle(snapshot);
    return count;
}

int CountProcesses(const wchar_t* name)
{
    return ForEachProcess(name, [](DWORD) {});
}

// The orderly way out of a server without a window: its message loop ends
// and it revokes its class object, which a killed process never does.
int Quit(const wchar_t* name, double seconds)
{
    ForEachProcess(name, [](DWORD id) {
        const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return;
        THREADENTRY32 entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry))
            if (entry.th32OwnerProcessID == id)
                ::PostThreadMessageW(entry.th32ThreadID, WM_QUIT, 0, 0);
        ::CloseHandle(snapshot);
    });
    return WaitFor(seconds, [&] { return CountProcesses(name) == 0; }) ? 0
                                                                       : (Fail(L"a process did not quit"), 1);
}

int Terminate(const wchar_t* name)
{
    ForEachProcess(name, [](DWORD id) {
        if (const HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, id)) {
            ::TerminateProcess(process, 1);
            ::CloseHandle(process);
        }
    });
    return WaitFor(10, [&] { return CountProcesses(name) == 0; }) ? 0 : (Fail(L"a process did not end"), 1);
}

// Without FILE_SHARE_DELETE and FILE_SHARE_WRITE, nobody else can delete or replace the file
// while it is open, as with a DLL that a program has loaded.
int HoldFile(const wchar_t* path, const wchar_t* release, double seconds)
{
    const HANDLE file =
        ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(L"the file cannot be opened"), 1;
    PrintUtf8(L"held\n");
    const bool released =
        WaitFor(seconds, [&] { return ::GetFileAttributesW(release) != INVALID_FILE_ATTRIBUTES; });
    ::CloseHandle(file);
    return released ? 0 : (Fail(L"no release in time"), 1);
}

HWND FormMain()
{
    return ::FindWindowW(kFormMainClass, nullptr);
}

HWND VisibleWindow(const wchar_t* className, const wchar_t* caption)
{
    const HWND window = ::FindWindowW(className, caption);
    return window && ::IsWindowVisible(window) ? window : nullptr;
}

// The message text of a message box: its longest static text (the icon is a
// static control too, without text).
std::wstring MessageBoxText(HWND box)
{
    std::wstring best;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[32] = {};
        ::GetClassNameW(child, className, 32);
        if (::lstrcmpiW(className, L"Static") != 0)
            continue;
        std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(child)) + 1, L'\0');
        text.resize(static_cast<size_t>(::GetWindowTextW(child, text.data(), static_cast<int>(text.size()))));
        if (text.size() > best.size())
            best = text;
    }
    return best;
}

// Asks the shell to modify an icon without changing anything: the shell
// accepts that only for an icon it holds.
bool ShellHoldsIcon(HWND window, UINT id)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = id;
    return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

int TrayIcon()
{
    const HWND form = FormMain();
    if (!form)
        return Fail(L"the main window does not exist"), 1;
    if (ShellHoldsIcon(form, kTrayIconID + 1))
        return Fail(L"the shell accepts icons it never received; the check would prove nothing"), 2;
    if (!ShellHoldsIcon(form, kTrayIconID))
        return Fail(L"the shell holds no icon of the main window"), 1;
    PrintUtf8(L"tray icon present\n");
    return 0;
}

int TrayForget()
{
    const HWND form = FormMain();
    if (!form)
        return Fail(L"the main window does not exist"), 1;
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = form;
    data.uID = kTrayIconID;
    return ::Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : (Fail(L"the shell held no icon to drop"), 1);
}

int TaskbarCreated()
{
    const HWND form = FormMain();
    if (!form)
        return Fail(L"the main window does not exist"), 1;
    // What the shell broadcasts to every top-level window when it starts.
    ::PostMessageW(form, ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    return 0;
}

int TrayClick(std::wstring_view message)
{
    const HWND form = FormMain();
    if (!form)
        return Fail(L"the main window does not exist"), 1;
    UINT mouse = 0;
    if (message == L"rbuttonup")
        mouse = WM_RBUTTONUP;
    if (message == L"lbuttonup")
        mouse = WM_LBUTTONUP;
    if (message == L"lbuttondblclk")
        mouse = WM_LBUTTONDBLCLK;
    if (!mouse)
        return Fail(L"unknown mouse message"), 2;
    // What the shell posts: the icon's ID in wParam, the mouse message in lParam.
    ::PostMessageW(form, kTrayCallbackMessage, kTrayIconID, mouse);
    return 0;
}

int ChooseFirstMenuItem()
{
    const HWND menu = VisibleWindow(kPopupMenuClass, nullptr);
    if (!menu)
        return Fail(L"no popup menu is open"), 1;
    // The menu's tracking loop reads keys from its thread's queue.
    for (WPARAM key : {VK_DOWN, VK_RETURN}) {
        ::PostMessageW(menu, WM_KEYDOWN, key, 1);
        ::PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
        ::Sleep(200);
    }
    return 0;
}

int Answer(const wchar_t* caption, std::wstring_view button, double seconds)
{
    HWND box = nullptr;
    if (!WaitFor(seconds, [&] { return (box = VisibleWindow(L"#32770", caption)) != nullptr; }))
        return Fail(L"the message box did not appear"), 1;
    int command = 0;
    if (button == L"yes")
        command = IDYES;
    if (button == L"no")
        command = IDNO;
    if (!command)
        return Fail(L"unknown button"), 2;
    if (!::GetDlgItem(box, command))
        return Fail(L"the message box lacks that button"), 1;
    PrintUtf8(MessageBoxText(box));
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, command)));
    return WaitFor(seconds, [&] { return !::IsWindow(box); }) ? 0 : (Fail(L"the message box stayed open"), 1);
}

// Under Wine 8 the machine's ROOT store is kept in the registry, one key per certificate
// named by its SHA-1 thumbprint
// (HKLM\Software\Microsoft\SystemCertificates\Root\Certificates\<thumbprint>), and shows through the user's
// logical ROOT store that the server reads, as on Windows. Deleting through CertDeleteCertificateFromStore
// does not reach that key under Wine 8: tests remove the key itself.
int TrustRoot(const wchar_t* path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    const std::string der((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    HCERTSTORE store =
        ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    const bool added = store && ::CertAddEncodedCertificateToStore(
                                    store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                    static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    if (store)
        ::CertCloseStore(store, 0);
    return added ? 0 : (Fail(L"the machine's ROOT store refused the certificate"), 1);
}

double Seconds(const wchar_t* text)
{
    return std::wcstod(text, nullptr);
}

// A window whose thread is stuck (in a call that blocks it) does not answer.
int WindowAnswers(double seconds)
{
    const HWND form = FormMain();
    if (!form)
        return Fail(L"the main window does not exist"), 1;
    DWORD_PTR result = 0;
    const ULONGLONG started = ::GetTickCount64();
    if (!::SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_BLOCK, static_cast<UINT>(seconds * 1000), &result))
        return Fail(L"the main window did not answer in time"), 1;
    std::wprintf(L"answered in %llu ms\n", ::GetTickCount64() - started);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring_view command = argc > 1 ? argv[1] : L"";
    if (command == L"count-processes" && argc == 3) {
        std::wprintf(L"%d\n", CountProcesses(argv[2]));
        return 0;
    }
    if (command == L"wait-processes" && argc == 5) {
        const int expected = std::wcstol(argv[3], nullptr, 10);
        if (WaitFor(Seconds(argv[4]), [&] { return CountProcesses(argv[2]) == expected; }))
            return 0;
        std::fwprintf(stderr, L"bramolt_driver: %d processes run %ls, expected %d\n", CountProcesses(argv[2]),
                      argv[2], expected);
        return 1;
    }
    if (command == L"wait-file" && argc == 4)
        return WaitFor(Seconds(argv[3]),
                       [&] { return ::GetFileAttributesW(argv[2]) != INVALID_FILE_ATTRIBUTES; })
                   ? 0
                   : (Fail(L"the file did not appear"), 1);
    if (command == L"hold-file" && argc == 5)
        return HoldFile(argv[2], argv[3], Seconds(argv[4]));
    if (command == L"quit" && argc == 4)
        return Quit(argv[2], Seconds(argv[3]));
    if (command == L"terminate" && argc == 3)
        return Terminate(argv[2]);
    if (command == L"wait-window" && argc == 3)
        return WaitFor(Seconds(argv[2]), [] { return FormMain() != nullptr; }) ? 0
                                                                               : (Fail(L"no main window"), 1);
    if (command == L"tray-icon" && argc == 2)
        return TrayIcon();
    if (command == L"tray-forget" && argc == 2)
        return TrayForget();
    if (command == L"taskbar-created" && argc == 2)
        return TaskbarCreated();
    if (command == L"tray-click" && argc == 3)
        return TrayClick(argv[2]);
    if (command == L"wait-menu" && argc == 3)
        return WaitFor(Seconds(argv[2]), [] { return VisibleWindow(kPopupMenuClass, nullptr) != nullptr; })
                   ? 0
                   : (Fail(L"no popup menu opened"), 1);
    if (command == L"no-menu" && argc == 3)
        return WaitFor(Seconds(argv[2]), [] { return VisibleWindow(kPopupMenuClass, nullptr) != nullptr; })
                   ? (Fail(L"a popup menu opened"), 1)
                   : 0;
    if (command == L"choose-first-menu-item" && argc == 2)
        return ChooseFirstMenuItem();
    if (command == L"answer" && argc == 5)
        return Answer(argv[2], argv[3], Seconds(argv[4]));
    if (command == L"no-window" && argc == 4)
        return WaitFor(Seconds(argv[3]), [&] { return VisibleWindow(nullptr, argv[2]) != nullptr; })
                   ? (Fail(L"the window appeared"), 1)
                   : 0;
    if (command == L"trust-root" && argc == 3)
        return TrustRoot(argv[2]);
    if (command == L"window-answers" && argc == 3)
        return WindowAnswers(Seconds(argv[2]));
    if (command == L"time-calls" && argc == 5)
        return TimeCalls(argv[2], argv[3], std::wcstol(argv[4], nullptr, 10));
    if (command == L"time-packet" && argc == 5)
        return TimeLargePacket(argv[2], argv[3], argv[4]);
    Fail(L"usage: see the comment at the top of BramoltDriver.cpp");
    return 2;
}
