#pragma once

// The calls in progress that wait for their worker thread, and the user's request to end
// the server ("Salir"), which waits for them: ending in the middle of a call would cut its
// client off and, for a message already handed to the mail server, leave the caller not
// knowing whether it went. Every running call ends on its own within its time limits.
//
// Calls start and end on the server's thread, which is also the one that asks to end, so
// nothing here is shared with another thread.

#include "automation/RunningCalls.h"

namespace bramolt {

class TRunningCalls final : public IRunningCalls {
  public:
    void CallStarted() noexcept override;
    void CallEnded() noexcept override;

    // Ends the main thread's message loop now, or as soon as the last running call has
    // ended.
    void EndWhenIdle() noexcept;

  private:
    int FCount = 0;
    bool FEndRequested = false;
};

} // namespace bramolt
