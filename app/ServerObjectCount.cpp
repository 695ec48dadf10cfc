#include "app/ServerObjectCount.h"

namespace bramolt {

TServerObjectCount::TServerObjectCount(bool automationMode, const TOle32Entries& ole32) noexcept
    : FAutomationMode(automationMode), FOle32(ole32)
{
}

void TServerObjectCount::ObjectCreated() noexcept
{
    ::InterlockedIncrement(&FCreations);
    ::InterlockedIncrement(&FCount);
    if (FAutomationMode && FOle32.CoAddRefServerProcess)
        FOle32.CoAddRefServerProcess();
}

void TServerObjectCount::ObjectDestroyed() noexcept
{
    const LONG count = ::InterlockedDecrement(&FCount);
    if (!FAutomationMode)
        return;
    // COM's own server-process count decides where there is one: it also
    // suspends the class objects in the same step.
    const bool last = FOle32.CoReleaseServerProcess ? FOle32.CoReleaseServerProcess() == 0 : count == 0;
    if (last)
        ::InterlockedIncrement(&FLastReleases);
}

} // namespace bramolt
