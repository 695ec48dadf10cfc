#pragma once

namespace bramolt {

// The calls that are waiting for their worker thread (WorkerThreadCall.h). During such a
// wait the server's thread goes on serving other calls and window messages, the tray menu's
// "Salir" included, so the process learns here when it may end without cutting a call off.
// Calls start and end on the server's thread.
class IRunningCalls {
  public:
    virtual void CallStarted() noexcept = 0;
    virtual void CallEnded() noexcept = 0;

  protected:
    ~IRunningCalls() = default;
};

} // namespace bramolt
