#include "automation/WorkerThreadCall.h"

#include "automation/ComError.h"

// The other system headers rely on windows.h's definitions.
#include <windows.h>

#include <objbase.h>

#include <exception>
#include <optional>
#include <thread>

namespace bramolt {

namespace {

// A manual-reset event that the worker sets when its work has ended.
class TDoneEvent {
  public:
    TDoneEvent() : FHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        if (!FHandle)
            throw EComError(HRESULT_FROM_WIN32(::GetLastError()),
                            "Cannot create an event for a worker thread");
    }
    ~TDoneEvent() { ::CloseHandle(FHandle); }
    TDoneEvent(const TDoneEvent&) = delete;
    TDoneEvent& operator=(const TDoneEvent&) = delete;

    HANDLE Handle() const noexcept { return FHandle; }

  private:
    HANDLE FHandle;
};

class TCountedCall {
  public:
    explicit TCountedCall(IRunningCalls& runningCalls) noexcept : FRunningCalls(runningCalls)
    {
        FRunningCalls.CallStarted();
    }
    ~TCountedCall() { FRunningCalls.CallEnded(); }
    TCountedCall(const TCountedCall&) = delete;
    TCountedCall& operator=(const TCountedCall&) = delete;

  private:
    IRunningCalls& FRunningCalls;
};

// Wine's COM wait serves calls but not posted window messages (the tray menu's command is
// one), whatever the flags ask; Windows serves both.
bool ComWaitKeepsWindowMessages() noexcept
{
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return !ntdll || !::GetProcAddress(ntdll, "wine_get_version");
}

// The thread's own message loop until `event` is set: calls to a single-threaded apartment
// arrive as window messages too. A quit message is passed on to the loop it was meant for
// once the wait is over, as COM's own wait does.
void PumpMessagesUntil(HANDLE event) noexcept
{
    std::optional<WPARAM> quitCode;
    for (;;) {
        const DWORD woken =
            ::MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken != WAIT_OBJECT_0 + 1) {
            if (woken != WAIT_OBJECT_0)
                ::WaitForSingleObject(event, INFINITE);
            break;
        }
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quitCode = message.wParam;
                continue;
            }
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    if (quitCode)
        ::PostQuitMessage(static_cast<int>(*quitCode));
}

// Waits for `event` while the apartment goes on dispatching calls and window messages.
void WaitDispatching(HANDLE event) noexcept
{
    static const bool comWaitKeepsWindowMessages = ComWaitKeepsWindowMessages();
    if (!comWaitKeepsWindowMessages) {
        PumpMessagesUntil(event);
        return;
    }
    HANDLE handles[] = {event};
    DWORD index = 0;
    const HRESULT waited = ::CoWaitForMultipleHandles(COWAIT_DISPATCH_CALLS | COWAIT_DISPATCH_WINDOW_MESSAGES,
                                                      INFINITE, 1, handles, &index);
    // Outside an apartment there is nothing to dispatch, and a wait that COM gave up (a
    // cancelled call) must still not return before the worker, which reads the call's
    // arguments, has ended.
    if (waited != S_OK)
        ::WaitForSingleObject(event, INFINITE);
}

} // namespace

void RunOnWorkerThread(IRunningCalls& runningCalls, const std::function<void()>& work)
{
    const TDoneEvent done;
    std::exception_ptr failure;
    const TCountedCall counted(runningCalls);
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        ::SetEvent(done.Handle());
    });
    WaitDispatching(done.Handle());
    worker.join();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace bramolt
