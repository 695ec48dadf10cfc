// Work handed to a worker thread: its answer comes back unchanged, and the waiting thread
// goes on serving window messages and other apartments' calls meanwhile.

#include "InProcessServer.h"

#include "automation/ComError.h"
#include "automation/WorkerThreadCall.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace bramolt::test {
namespace {

using WorkerThreadCallTest = TInProcessServer<>;

TEST_F(WorkerThreadCallTest, AnswersComeBackAsIfTheWorkRanOnTheCallingThread)
{
    const DWORD caller = ::GetCurrentThreadId();
    DWORD worker = caller;
    int runningDuringWork = 0;
    const auto answer = CallOnWorkerThread(FRunningCalls, [&] {
        worker = ::GetCurrentThreadId();
        runningDuringWork = FRunningCalls.Running();
        return std::make_unique<std::wstring>(L"move-only");
    });
    EXPECT_NE(worker, caller);
    EXPECT_EQ(*answer, L"move-only");
    EXPECT_EQ(runningDuringWork, 1);
    EXPECT_EQ(FRunningCalls.Running(), 0);

    RunOnWorkerThread(FRunningCalls, [] {});
    EXPECT_EQ(FRunningCalls.Started, 2);
    EXPECT_EQ(FRunningCalls.Running(), 0);
}

TEST_F(WorkerThreadCallTest, WhatTheWorkThrowsIsThrownToTheCaller)
{
    EXPECT_THROW(RunOnWorkerThread(FRunningCalls, [] { throw std::out_of_range("out"); }), std::out_of_range);
    try {
        RunOnWorkerThread(FRunningCalls, [] { throw EComError(E_ACCESSDENIED, "denied"); });
        ADD_FAILURE() << "nothing thrown";
    } catch (const EComError& error) {
        EXPECT_EQ(error.Code(), E_ACCESSDENIED) << "the exception keeps its type and code";
        EXPECT_STREQ(error.what(), "denied");
    }
    EXPECT_THROW(RunOnWorkerThread(FRunningCalls, [] { throw 7; }), int);
    EXPECT_EQ(FRunningCalls.Running(), 0) << "a failed call no longer counts as running";
}

// A message-only window of the calling thread that records the one message it expects.
class TRecordingWindow {
  public:
    static constexpr UINT kMessage = WM_APP + 7;

    TRecordingWindow()
    {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"BramoltWorkerTestWindow";
        ::RegisterClassW(&windowClass);
        FHandle = ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(FServed));
    }
    ~TRecordingWindow()
    {
        ::DestroyWindow(FHandle);
        ::CloseHandle(FServed);
    }
    TRecordingWindow(const TRecordingWindow&) = delete;
    TRecordingWindow& operator=(const TRecordingWindow&) = delete;

    HWND Handle() const { return FHandle; }
    HANDLE Served() const { return FServed; }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == kMessage)
            ::SetEvent(reinterpret_cast<HANDLE>(::GetWindowLongPtrW(window, GWLP_USERDATA)));
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HANDLE FServed = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND FHandle = nullptr;
};

TEST_F(WorkerThreadCallTest, TheWaitDispatchesWindowMessagesOfTheCallingThread)
{
    TRecordingWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    // Dispatched only if the calling thread pumps its messages while the work runs: the
    // work waits for its own message to be served.
    const bool served = CallOnWorkerThread(FRunningCalls, [&] {
        ::PostMessageW(window.Handle(), TRecordingWindow::kMessage, 0, 0);
        return ::WaitForSingleObject(window.Served(), 10000) == WAIT_OBJECT_0;
    });
    EXPECT_TRUE(served);
}

TEST_F(WorkerThreadCallTest, TheWaitServesCallsFromOtherApartments)
{
    TComPtr<IDispatch> object;
    ASSERT_TRUE(HResultIs(S_OK, CreateObject(IID_IDispatch, object.ReceiveVoid())));
    IStream* marshalled = nullptr;
    ASSERT_TRUE(
        HResultIs(S_OK, ::CoMarshalInterThreadInterfaceInStream(IID_IDispatch, object.Get(), &marshalled)));
    // Another client calls the object of this apartment while this thread waits: a wait
    // that served no calls would never end.
    const TLateBoundAnswer answer = CallOnWorkerThread(FRunningCalls, [&] {
        const HRESULT initialized = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        TLateBoundAnswer version;
        {
            TComPtr<IDispatch> proxy;
            version.Code = ::CoGetInterfaceAndReleaseStream(marshalled, IID_IDispatch, proxy.ReceiveVoid());
            if (SUCCEEDED(version.Code))
                version = InvokeByName(*proxy.Get(), L"Version", {});
        }
        if (SUCCEEDED(initialized))
            ::CoUninitialize();
        return version;
    });
    ASSERT_TRUE(HResultIs(S_OK, answer.Code));
    EXPECT_EQ(V_VT(&answer.Value.Get()), VT_BSTR);
}

} // namespace
} // namespace bramolt::test
