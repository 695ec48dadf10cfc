#pragma once

// The process's object count: live automation objects plus outstanding
// class-factory locks. In automation mode (started by COM) the process also
// holds one COM server-process reference per count, and COM's own count says
// when the last one is gone (COM then suspends the class object, so that a new
// client starts a new process); TServerShutdown ends the process from there.
// A process started by hand keeps running at zero.

#include "app/SystemEntries.h"
#include "automation/ObjectCount.h"

namespace bramolt {

class TServerObjectCount final : public IObjectCount {
  public:
    TServerObjectCount(bool automationMode, const TOle32Entries& ole32) noexcept;

    void ObjectCreated() noexcept override;
    void ObjectDestroyed() noexcept override;

    LONG Count() const noexcept { return Read(FCount); }
    // How many objects and locks were ever created, so that a watcher also
    // sees one that came and went between two of its looks.
    LONG Creations() const noexcept { return Read(FCreations); }
    // How often the last object went in automation mode.
    LONG LastReleases() const noexcept { return Read(FLastReleases); }

  private:
    static LONG Read(LONG& counter) noexcept { return ::InterlockedCompareExchange(&counter, 0, 0); }

    mutable LONG FCount = 0;
    mutable LONG FCreations = 0;
    mutable LONG FLastReleases = 0;
    bool FAutomationMode;
    TOle32Entries FOle32;
};

} // namespace bramolt
