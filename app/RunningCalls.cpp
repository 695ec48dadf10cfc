#include "app/RunningCalls.h"

#include <windows.h>

namespace bramolt {

void TRunningCalls::CallStarted() noexcept
{
    ++FCount;
}

void TRunningCalls::CallEnded() noexcept
{
    --FCount;
    // Posted while the last call unwinds: the loop that receives it is the main one, since
    // every nested wait belonged to a call.
    if (FCount == 0 && FEndRequested)
        ::PostQuitMessage(0);
}

void TRunningCalls::EndWhenIdle() noexcept
{
    if (FCount == 0)
        ::PostQuitMessage(0);
    else
        FEndRequested = true;
}

} // namespace bramolt
