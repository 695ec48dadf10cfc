#pragma once

// The end of a process that COM started. It ends when its last object is
// released, and also when it has served no object for a grace time: COM may
// start several processes for clients that activate at the same moment and
// hand all of them to one, and a client may die before its first call, so
// some processes never see a last release.
//
// Either way the process does not quit at once: the class objects are
// suspended first (COM does this itself on the last release), so that new
// activations start a new process; an activation that had already been handed
// this process's class object still arrives, and is served if it does within
// the settle time (the class objects are then resumed). A process that stayed
// unused through the settle time revokes its class objects and still serves
// what arrives during the drain time before it quits by ending the main
// thread's message loop: where suspending does nothing (Wine), COM hands out
// the class objects until they are revoked, and a client may call the one it
// got a moment later.

#include "app/ServerObjectCount.h"
#include "app/SystemEntries.h"

#include <functional>
#include <optional>

namespace bramolt {

class TServerShutdown {
  public:
    // Milliseconds without any object before an unused process ends.
    static constexpr ULONGLONG kGraceTime = 5000;
    // Milliseconds that activations already on their way get once the class
    // objects are suspended.
    static constexpr ULONGLONG kSettleTime = 1000;
    // Milliseconds that calls of a class object handed out just before it was
    // revoked get.
    static constexpr ULONGLONG kDrainTime = 1000;
    // Milliseconds between two checks.
    static constexpr UINT kCheckInterval = 250;

    // `now` is the time the class objects were registered (GetTickCount64);
    // `revoke` revokes them.
    TServerShutdown(const TServerObjectCount& objectCount, const TOle32Entries& ole32,
                    std::function<void()> revoke, ULONGLONG now) noexcept;

    // Called every kCheckInterval on the main thread, with GetTickCount64().
    void Check(ULONGLONG now) noexcept;

  private:
    enum class TState {
        ssServing,   // class objects available
        ssSuspended, // class objects suspended since FSuspendedAt
        ssRevoked,   // class objects revoked; draining since FDrainingSince
        ssEnding     // quit posted
    };

    void Suspend(ULONGLONG now) noexcept;
    void Resume() noexcept;

    const TServerObjectCount& FObjectCount;
    TOle32Entries FOle32;
    std::function<void()> FRevoke;
    TState FState = TState::ssServing;
    // The first check that found no object, or the start; none while in use.
    std::optional<ULONGLONG> FIdleSince;
    ULONGLONG FSuspendedAt = 0;
    ULONGLONG FDrainingSince = 0;
    LONG FCreationsSeen;
    LONG FLastReleasesSeen;
};

} // namespace bramolt
