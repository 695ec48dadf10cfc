#include "app/ServerObjectCount.h"

namespace bramolt {

TServerObjectCount::TServerObjectCount(bool automationMode, const TOle32Entries& ole32,
                                       DWORD mainThread) noexcept
    : FAutomationMode(automationMode), FOle32(ole32), FMainThread(mainThread)
{
}

void TServerObjectCount::ObjectCreated() noexcept
{
    ::InterlockedIncrement(&FCount);
    if (FAutomationMode && FOle32.CoAddRefServerProcess)
        FOle32.CoAddRefServerProcess();
}

void TServerObjectCount::ObjectDestroyed() noexcept
{
    const LONG count = ::InterlockedDecrement(&FCount);
    if (FAutomationMode) {
        // COM's own server-process count decides, so that a creation request
        // racing with the last release is handled by COM's suspension.
        if (FOle32.CoReleaseServerProcess) {
            if (FOle32.CoReleaseServerProcess() == 0)
                LastObjectGone();
        } else if (count == 0) {
            LastObjectGone();
        }
    }
}

void TServerObjectCount::LastObjectGone() const noexcept
{
    ::PostThreadMessageW(FMainThread, WM_QUIT, 0, 0);
}

} // namespace bramolt
