#include "app/ServerProcess.h"

#include "app/ClassDescriptor.h"
#include "app/ClassFactory.h"
#include "app/FormMain.h"
#include "app/Registration.h"
#include "app/ServerObjectCount.h"
#include "app/SystemEntries.h"

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

void RunMessageLoop()
{
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
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
    TServerObjectCount objectCount(options.Mode == TStartMode::smAutomation, ole32, ::GetCurrentThreadId());
    const TTypeLibrary typeLibrary;
    const TClassDescriptor descriptor = DescribeClass(typeLibrary);
    // The JSON trees of all clients; they live until freed or until the process ends.
    json::TJSONHandleTable jsonHandles;
    TClassFactory classFactory(typeLibrary, objectCount, jsonHandles);

    const TComApartment apartment(ole32);
    const bool startSuspended = ole32.CoInitializeEx && ole32.CoResumeClassObjects;

    if (options.Mode == TStartMode::smRegister) {
        RegisterServer(typeLibrary, descriptor, options.PerUser);
        return 0;
    }
    if (options.Mode == TStartMode::smUnregister) {
        UnregisterServer(typeLibrary, descriptor, options.PerUser);
        return 0;
    }

    TClassObjectRegistration registration(descriptor.ClassID, classFactory,
                                          startSuspended ? ole32.CoResumeClassObjects : nullptr);
    {
        const TFormMain form(instance, objectCount);
        RunMessageLoop();
        // New clients must not reach a process that is ending; then the
        // window goes (with the tray icon) and finally the apartment.
        registration.Revoke();
    }
    return 0;
}

} // namespace bramolt
