#pragma once

#include <cstddef>
#include <functional>

namespace vantrel {

// Calls `body(i)` once for every i in [0, count), spread over a few threads (the caller's
// among them), and returns when every call has returned. For independent reads of many
// files, where the wait is the disk's and the system's rather than ours: each call must
// touch only its own index's results, and must not throw. The calls' order is
// unspecified.
//
// Every thread gets at least `minimumPerThread` indices, so below twice that everything runs
// on the caller's thread, in order: a handful of files is not worth a thread's start.
// Helpers have an 8 MiB stack, as a main thread has.
struct ParallelLimits {
    std::size_t maximumThreads = 4;
    std::size_t minimumPerThread = 32;
};

void parallelFor(std::size_t count, const std::function<void(std::size_t)>& body, ParallelLimits limits = {});

} // namespace vantrel
