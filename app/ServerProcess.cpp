#include "app/ServerProcess.h"

#include "app/ClassDescriptor.h"
#include "app/ClassFactory.h"
#include "app/FormMain.h"
#include "app/Registration.h"
#include "app/RunningCalls.h"
#include "app/ServerObjectCount.h"
#include "app/ServerShutdown.h"
#include "app/SystemEntries.h"

#include <deque>
#include <optional>
#include <vector>

namespace bramolt {

namespace {

// COM initialisation of the main thread as a single-threaded apartment,
// undone at exit only when it succeeded.
class TComApartment {
  public:
    explicit TComApartment(const TOle32Entries& ole32) noexcept
    {
        const HRESULT hr = ole32.CoInitializeEx ? ole32.CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)
                                                : ::CoInitialize(nullptr);
        FInitialized = SUCCEEDED(hr);
    }
    ~TComApartment()
    {
        if (FInitialized)
            ::CoUninitialize();
    }
    TComApartment(const TComApartment&) = delete;
    TComApartment& operator=(const TComApartment&) = delete;

  private:
    bool FInitialized = false;
};

// A timer of the main thread without a window (there may be no desktop to
// create one on); its WM_TIMER messages carry no window and reach the loop.
class TThreadTimer {
  public:
    explicit TThreadTimer(UINT interval) noexcept : FID(::SetTimer(nullptr, 0, interval, nullptr)) {}
    ~TThreadTimer()
    {
        if (FID)
            ::KillTimer(nullptr, FID);
    }
    TThreadTimer(const TThreadTimer&) = delete;
    TThreadTimer& operator=(const TThreadTimer&) = delete;

    bool Fired(const MSG& message) const noexcept
    {
        return FID && message.message == WM_TIMER && !message.hwnd && message.wParam == FID;
    }

  private:
    UINT_PTR FID;
};

// `shutdown`, when given, is checked on every tick of its timer.
void RunMessageLoop(TServerShutdown* shutdown)
{
    std::optional<TThreadTimer> checkTimer;
    if (shutdown)
        checkTimer.emplace(TServerShutdown::kCheckInterval);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (checkTimer && checkTimer->Fired(message)) {
            shutdown->Check(::GetTickCount64());
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

} // namespace

int RunServer(HINSTANCE instance, const TStartOptions& options)
{
    // Everything COM may still reach while the apartment shuts down (objects
    // released by CoUninitialize count themselves out) is declared before it.
    const TOle32Entries ole32 = TOle32Entries::Lookup();
    TServerObjectCount objectCount(options.Mode == TStartMode::smAutomation, ole32);
    TRunningCalls runningCalls;
    const TTypeLibrary typeLibrary;
    std::vector<TClassDescriptor> descriptors;
    // The JSON trees of all clients, of every class; they live until freed or until the
    // process ends.
    json::TJSONHandleTable jsonHandles;
    // A deque: class objects are COM objects and never move.
    std::deque<TClassFactory> classFactories;
    for (const TAutomationClass* automationClass : kAutomationClasses) {
        descriptors.push_back(DescribeClass(typeLibrary, *automationClass));
        classFactories.emplace_back(*automationClass, typeLibrary, objectCount, runningCalls, jsonHandles);
    }

    const TComApartment apartment(ole32);
    const bool startSuspended = ole32.CoInitializeEx && ole32.CoResumeClassObjects;

    if (options.Mode == TStartMode::smRegister) {
        RegisterServer(typeLibrary, descriptors, options.PerUser);
        return 0;
    }
    if (options.Mode == TStartMode::smUnregister) {
        UnregisterServer(typeLibrary, descriptors, options.PerUser);
        return 0;
    }

    std::deque<TClassObjectRegistration> registrations;
    for (std::size_t index = 0; index < descriptors.size(); ++index)
        registrations.emplace_back(descriptors[index].ClassID, classFactories[index], startSuspended);
    if (startSuspended)
        ole32.CoResumeClassObjects();
    const auto revokeAll = [&registrations]() noexcept {
        for (TClassObjectRegistration& registration : registrations)
            registration.Revoke();
    };
    {
        // The user's "Salir" lets running calls finish; new clients meanwhile start a new
        // server instead of reaching one that is about to end.
        const TFormMain form(instance, objectCount, [&] {
            revokeAll();
            runningCalls.EndWhenIdle();
        });
        if (options.Mode == TStartMode::smAutomation) {
            TServerShutdown shutdown(objectCount, ole32, revokeAll, ::GetTickCount64());
            RunMessageLoop(&shutdown);
        } else {
            RunMessageLoop(nullptr);
        }
        // New clients must not reach a process that is ending; then the
        // window goes (with the tray icon) and finally the apartment.
        revokeAll();
    }
    return 0;
}

} // namespace bramolt
