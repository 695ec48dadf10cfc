#pragma once

// Work that may take long (a mail exchange, a large data packet) runs on a thread of its
// own while the server's thread waits in COM's dispatching wait: other clients' calls and
// the tray menu are served meanwhile, and the caller gets the work's result, or what it
// threw, exactly as if it had run on the server's thread.
//
// The work must touch nothing the server's thread uses (the JSON trees, the apartment's COM
// objects); it may read the call's arguments, since the call does not return before the work
// has ended.
//
// Waits nest: a slow call that arrives during another's wait must be answered before the
// first can return, even when the first one's work has ended earlier.

#include "automation/RunningCalls.h"

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

namespace bramolt {

// Runs `work` on a new thread and returns once it has ended; rethrows what it threw. The
// call counts in `runningCalls` for as long as it waits.
void RunOnWorkerThread(IRunningCalls& runningCalls, const std::function<void()>& work);

// The same for work with a result, which may be move-only.
template <typename Work> auto CallOnWorkerThread(IRunningCalls& runningCalls, Work&& work)
{
    using TResult = std::invoke_result_t<Work&>;
    if constexpr (std::is_void_v<TResult>) {
        RunOnWorkerThread(runningCalls, work);
    } else {
        std::optional<TResult> result;
        RunOnWorkerThread(runningCalls, [&] { result.emplace(work()); });
        return std::move(*result);
    }
}

} // namespace bramolt
