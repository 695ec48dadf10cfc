#include "app/FormMain.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <utility>

namespace bramolt {

namespace {

// Resource ID of the application icon (Bramolt.rc).
constexpr WORD kMainIconID = 1;

// Client area of the form, in pixels.
constexpr int kClientWidth = 313;
constexpr int kClientHeight = 155;
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MINIMIZE;

constexpr const wchar_t* kConfirmText = L"\u00BFEst\u00E1 seguro que desea cerrar?";
constexpr const wchar_t* kConfirmCaption = L"Confirm";
constexpr const wchar_t* kActiveObjectsText =
    L"There are still active COM objects in this application.  One or more clients may have references to "
    L"these "
    L"objects, so manually closing this application may cause those client application(s) to fail.\r\n\r\n"
    L"Are you sure you want to close this application?";
constexpr const wchar_t* kActiveObjectsCaption = L"COM Server Warning";

ATOM RegisterFormClass(HINSTANCE instance, HICON icon, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kFormMainClass;
    return ::RegisterClassExW(&windowClass);
}

NOTIFYICONDATAW TrayIconData(HWND window, HICON icon)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = window;
    data.uID = kTrayIconID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    // The tooltip buffer holds 127 characters and the terminating null.
    const size_t length = std::min(std::wcslen(kApplicationTitle), std::size(data.szTip) - 1);
    std::wmemcpy(data.szTip, kApplicationTitle, length);
    return data;
}

} // namespace

TFormMain::TFormMain(HINSTANCE instance, const TServerObjectCount& objectCount,
                     std::function<void()> endServer)
    : FObjectCount(objectCount), FEndServer(std::move(endServer))
{
    FIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(kMainIconID));
    if (!FIcon)
        FIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    FTaskbarCreatedMessage = ::RegisterWindowMessageW(L"TaskbarCreated");

    PopupMenu1 = ::CreatePopupMenu();
    if (PopupMenu1)
        ::AppendMenuW(PopupMenu1, MF_STRING, kSalirCommand, L"Salir");

    RegisterFormClass(instance, FIcon, WindowProc);
    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, kFormStyle, FALSE, 0);
    FHandle = ::CreateWindowExW(0, kFormMainClass, kFormMainCaption, kFormStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                instance, this);
    if (FHandle)
        AddTrayIcon();
}

TFormMain::~TFormMain()
{
    if (FHandle) {
        RemoveTrayIcon();
        ::DestroyWindow(FHandle);
    }
    if (PopupMenu1)
        ::DestroyMenu(PopupMenu1);
}

LRESULT CALLBACK TFormMain::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto* form = reinterpret_cast<TFormMain*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form || !form->FHandle)
        return ::DefWindowProcW(window, message, wParam, lParam);
    return form->HandleMessage(message, wParam, lParam);
}

LRESULT TFormMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kTrayCallbackMessage) {
        // Only the right button's release opens the menu; other mouse
        // events on the icon do nothing.
        if (static_cast<UINT>(lParam) == WM_RBUTTONUP)
            ShowPopupMenu();
        return 0;
    }
    if (message == FTaskbarCreatedMessage && FTaskbarCreatedMessage != 0) {
        // A restarted shell has forgotten every icon.
        if (FTrayIconVisible)
            AddTrayIcon();
        return 0;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == kSalirCommand && HIWORD(wParam) == 0) {
        Salir1Click();
        return 0;
    }
    if (message == WM_CLOSE) {
        // Only the process's own exit destroys this window; a stray WM_CLOSE
        // would otherwise take the tray icon away from a running server.
        return 0;
    }
    return ::DefWindowProcW(FHandle, message, wParam, lParam);
}

void TFormMain::AddTrayIcon() noexcept
{
    // A refused icon is not reported: the server runs on without it.
    NOTIFYICONDATAW data = TrayIconData(FHandle, FIcon);
    ::Shell_NotifyIconW(NIM_ADD, &data);
}

void TFormMain::RemoveTrayIcon() noexcept
{
    NOTIFYICONDATAW data = TrayIconData(FHandle, FIcon);
    ::Shell_NotifyIconW(NIM_DELETE, &data);
}

void TFormMain::ShowPopupMenu() noexcept
{
    if (!PopupMenu1)
        return;
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // The menu closes on a click elsewhere only when its owner is in the
    // foreground, and the shell requires the extra WM_NULL afterwards.
    ::SetForegroundWindow(FHandle);
    ::TrackPopupMenu(PopupMenu1, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, FHandle, nullptr);
    ::PostMessageW(FHandle, WM_NULL, 0, 0);
}

void TFormMain::Salir1Click() noexcept
{
    // Without an owner the boxes are centred on the screen.
    const int answer =
        ::MessageBoxW(nullptr, kConfirmText, kConfirmCaption, MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON1);
    if (answer == IDNO)
        return;
    if (FObjectCount.Count() > 0) {
        const int close = ::MessageBoxW(nullptr, kActiveObjectsText, kActiveObjectsCaption,
                                        MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | MB_TASKMODAL);
        if (close != IDYES)
            return;
    }
    FEndServer();
}

} // namespace bramolt
