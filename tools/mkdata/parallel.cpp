// ParallelFor with plain std::thread workers and one shared atomic counter.
#include "tools/mkdata/parallel.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

void ParallelFor(unsigned threads, uint32_t count, const std::function<void(uint32_t)>& body) {
  std::atomic<uint32_t> next{0};
  // An exception escaping a thread would end the program; the first one a piece throws (memory
  // running out) is carried to the caller instead, and the other workers take no more pieces.
  std::exception_ptr failure;
  std::mutex failureLock;
  auto work = [&] {
    try {
      for (uint32_t i = next.fetch_add(1, std::memory_order_relaxed); i < count;
           i = next.fetch_add(1, std::memory_order_relaxed))
        body(i);
    } catch (...) {
      const std::lock_guard<std::mutex> lock(failureLock);
      if (!failure) failure = std::current_exception();
      next.store(count, std::memory_order_relaxed);
    }
  };
  const unsigned helpers = std::min<unsigned>(threads > 0 ? threads - 1 : 0, count > 0 ? count - 1 : 0);
  std::vector<std::thread> pool;
  pool.reserve(helpers);
  try {
    for (unsigned t = 0; t < helpers; ++t) pool.emplace_back(work);
  } catch (const std::system_error&) {
    // No room for another thread: the ones started, and this one, do all the pieces.
  }
  work();
  for (std::thread& thread : pool) thread.join();
  if (failure) std::rethrow_exception(failure);
}

unsigned DefaultThreadCount() { return std::max(1u, std::thread::hardware_concurrency()); }
