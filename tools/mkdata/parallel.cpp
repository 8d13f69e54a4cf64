// ParallelFor with plain std::thread workers and one shared atomic counter.
#include "tools/mkdata/parallel.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

void ParallelFor(unsigned threads, uint32_t count, const std::function<void(uint32_t)>& body) {
  std::atomic<uint32_t> next{0};
  auto work = [&] {
    for (uint32_t i = next.fetch_add(1, std::memory_order_relaxed); i < count;
         i = next.fetch_add(1, std::memory_order_relaxed))
      body(i);
  };
  const unsigned helpers = std::min<unsigned>(threads > 0 ? threads - 1 : 0, count > 0 ? count - 1 : 0);
  std::vector<std::thread> pool;
  pool.reserve(helpers);
  for (unsigned t = 0; t < helpers; ++t) pool.emplace_back(work);
  work();
  for (std::thread& thread : pool) thread.join();
}

unsigned DefaultThreadCount() { return std::max(1u, std::thread::hardware_concurrency()); }
