#include "app/ServerShutdown.h"

namespace bramolt {

TServerShutdown::TServerShutdown(const TServerObjectCount& objectCount, const TOle32Entries& ole32,
                                 std::function<void()> revoke, ULONGLONG now) noexcept
    : FObjectCount(objectCount), FOle32(ole32), FRevoke(std::move(revoke)), FIdleSince(now),
      FCreationsSeen(objectCount.Creations()), FLastReleasesSeen(objectCount.LastReleases())
{
}

void TServerShutdown::Check(ULONGLONG now) noexcept
{
    // What happened since the last check: objects may come and go in between.
    const LONG creations = FObjectCount.Creations();
    const LONG lastReleases = FObjectCount.LastReleases();
    const bool created = creations != FCreationsSeen;
    const bool released = lastReleases != FLastReleasesSeen;
    FCreationsSeen = creations;
    FLastReleasesSeen = lastReleases;
    const bool live = FObjectCount.Count() > 0;

    switch (FState) {
    case TState::ssServing:
        if (released && !live) {
            Suspend(now);
        } else if (live || created) {
            // An object that came after COM suspended the class objects on a
            // last release: new clients may come here again.
            if (released)
                Resume();
            FIdleSince.reset();
        } else if (!FIdleSince) {
            FIdleSince = now;
        } else if (now - *FIdleSince >= kGraceTime) {
            Suspend(now);
        }
        break;
    case TState::ssSuspended:
        if (live) {
            Resume();
        } else if (created) {
            // Served and released meanwhile: settle again.
            FSuspendedAt = now;
        } else if (now - FSuspendedAt >= kSettleTime) {
            FRevoke();
            FDrainingSince = now;
            FState = TState::ssRevoked;
        }
        break;
    case TState::ssRevoked:
        // Objects made now are served to their end; only new clients go elsewhere.
        if (live || created) {
            FDrainingSince = now;
        } else if (now - FDrainingSince >= kDrainTime) {
            ::PostQuitMessage(0);
            FState = TState::ssEnding;
        }
        break;
    case TState::ssEnding:
        break;
    }
}

void TServerShutdown::Suspend(ULONGLONG now) noexcept
{
    if (FOle32.CoSuspendClassObjects)
        FOle32.CoSuspendClassObjects();
    FSuspendedAt = now;
    FState = TState::ssSuspended;
}

void TServerShutdown::Resume() noexcept
{
    if (FOle32.CoResumeClassObjects)
        FOle32.CoResumeClassObjects();
    FIdleSince.reset();
    FState = TState::ssServing;
}

} // namespace bramolt
