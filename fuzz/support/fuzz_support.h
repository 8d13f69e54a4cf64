// What every fuzz target shares: a check that ends the run with a line saying which promise an
// input broke (libFuzzer then keeps the input), and the count of this process's open files, so a
// parser that leaves a file open on some path is caught on the input that takes it.
#pragma once

#include <cstdio>
#include <cstdlib>

// Standard output, not standard error: the loader target has libFuzzer close standard error to
// keep its failure lines out of the log.
inline void FuzzCheck(bool holds, const char* promise) {
  if (holds) return;
  std::printf("fuzz check failed: %s\n", promise);
  std::fflush(stdout);
  std::abort();
}

// Descriptors this process has open now.
int OpenFileCount();
