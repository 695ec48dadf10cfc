#pragma once

// The process's object count: live automation objects plus outstanding
// class-factory locks. In automation mode (started by COM) the process also
// holds one COM server-process reference per count, and when COM reports the
// last one gone (which also suspends the class object, so a new client starts
// a new process) the main thread is told to quit. A process started by hand
// keeps running at zero.

#include "app/SystemEntries.h"
#include "automation/ObjectCount.h"

namespace bramolt {

class TServerObjectCount final : public IObjectCount {
  public:
    // `mainThread` receives WM_QUIT when the last object goes in automation mode.
    TServerObjectCount(bool automationMode, const TOle32Entries& ole32, DWORD mainThread) noexcept;

    void ObjectCreated() noexcept override;
    void ObjectDestroyed() noexcept override;
    LONG Count() const noexcept { return ::InterlockedCompareExchange(&FCount, 0, 0); }

  private:
    void LastObjectGone() const noexcept;

    mutable LONG FCount = 0;
    bool FAutomationMode;
    TOle32Entries FOle32;
    DWORD FMainThread;
};

} // namespace bramolt
