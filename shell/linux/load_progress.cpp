// The loading line on a terminal. The loader thread says nothing while it works, so the line
// tells what it is doing from what the data folder holds, and how long it has taken so far.
#include "shell/linux/load_progress.h"

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "mapdata/derived_cache.h"
#include "mapdata/map_data.h"

namespace {

constexpr double kRewriteInterval = 0.1;  // seconds between rewrites of the line

// Main thread only.
struct LoadProgress {
  bool active;   // a line is open on the terminal
  double start;  // seconds on the monotonic clock when loading began
  double lastWrite;
  std::string head;  // the line without its time
};
LoadProgress gLoadProgress{};

// The wall clock, not PlatformCounter: --frames replaces that with a clock of its own.
double Seconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void Write(const char* end) {
  LoadProgress& progress = gLoadProgress;
  // \r and clear-to-end-of-line: the line is rewritten in place.
  std::fprintf(stderr, "\r\033[K%s %.1f s%s", progress.head.c_str(), Seconds() - progress.start, end);
  std::fflush(stderr);
}

}  // namespace

void LoadProgressStart(const LoadRequest& request) {
  LoadProgress& progress = gLoadProgress;
  if (!isatty(STDERR_FILENO)) return;
  progress.head = "redsphere: loading level " + std::to_string(request.level) + " from " + request.folder;
  if (!DerivedCachesReady(request))
    progress.head += ", deriving the terraformed colours and the sea (once for this data and texture limit)";
  progress.head += " ...";
  progress.active = true;
  progress.start = progress.lastWrite = Seconds();
  Write("");
}

void LoadProgressUpdate() {
  LoadProgress& progress = gLoadProgress;
  if (!progress.active || Seconds() - progress.lastWrite < kRewriteInterval) return;
  progress.lastWrite = Seconds();
  Write("");
}

void LoadProgressEnd() {
  LoadProgress& progress = gLoadProgress;
  if (!progress.active) return;
  progress.head += " done in";
  Write("\n");
  progress.active = false;
}
