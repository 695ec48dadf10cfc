#pragma once

// TFormMain, the server's hidden main window. It is never shown; it exists to
// own the notification-area icon TrayIcon1, whose popup menu PopupMenu1 holds
// the one command Salir1 ("Salir") that ends the process after confirmation.
// Without a desktop (a service, a headless session) the window cannot be
// created; the server then keeps serving COM without icon or menu.

#include "app/ServerObjectCount.h"

// The other system headers rely on windows.h's definitions.
#include <windows.h>

#include <shellapi.h>

#include <functional>

namespace bramolt {

// Window class and caption, by which tools and tests find the window.
inline constexpr const wchar_t* kFormMainClass = L"TFormMain";
inline constexpr const wchar_t* kFormMainCaption = L"Bramolt - Plendor Extended ";
// The application title, shown as the tray icon's tooltip.
inline constexpr const wchar_t* kApplicationTitle = L"Bramolt";
// Message the shell sends for mouse events on the tray icon.
inline constexpr UINT kTrayCallbackMessage = WM_USER + 1;
// Identifiers of the tray icon and of the Salir1 command.
inline constexpr UINT kTrayIconID = 1;
inline constexpr UINT kSalirCommand = 1;

class TFormMain {
  public:
    // `endServer` ends the server once the user has confirmed "Salir".
    TFormMain(HINSTANCE instance, const TServerObjectCount& objectCount, std::function<void()> endServer);
    // Removes the tray icon and destroys the window.
    ~TFormMain();
    TFormMain(const TFormMain&) = delete;
    TFormMain& operator=(const TFormMain&) = delete;

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void AddTrayIcon() noexcept;
    void RemoveTrayIcon() noexcept;
    void ShowPopupMenu() noexcept;
    // Asks for confirmation (and again when clients still hold objects),
    // then ends the server.
    void Salir1Click() noexcept;

    const TServerObjectCount& FObjectCount;
    std::function<void()> FEndServer;
    HWND FHandle = nullptr;
    HMENU PopupMenu1 = nullptr;
    HICON FIcon = nullptr;
    // TrayIcon1 is visible from creation; the shell may still refuse it.
    bool FTrayIconVisible = true;
    UINT FTaskbarCreatedMessage = 0;
};

} // namespace bramolt
