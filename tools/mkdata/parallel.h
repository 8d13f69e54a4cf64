// Runs independent pieces of work (rows of nodes or texels) on several threads. Every piece is a
// pure function of its index, so results do not depend on the number of threads or their timing.
#pragma once

#include <cstdint>
#include <functional>

// Calls body(i) for every i in [0, count) on up to `threads` threads (the caller's one included)
// and returns when all are done. Pieces are handed out one at a time, so uneven rows balance.
void ParallelFor(unsigned threads, uint32_t count, const std::function<void(uint32_t)>& body);

// The number of threads to use by default: every core the system reports, at least one.
unsigned DefaultThreadCount();
