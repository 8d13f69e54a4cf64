// The percentage line, rewritten in place with a carriage return, or whole lines in steps.
#include "tools/mkdata/progress.h"

#include <cstdio>

#include "tools/mkdata/tool_platform.h"

Progress StartProgress(const std::string& label, bool lines) {
  Progress progress;
  progress.lines = lines;
  progress.shown = !lines && StreamIsTerminal(stderr);
  progress.label = label;
  ShowProgress(progress, 0, 1);
  return progress;
}

void ShowProgress(Progress& progress, uint64_t done, uint64_t total) {
  if ((!progress.shown && !progress.lines) || total == 0) return;
  int percent = static_cast<int>(done * 100 / total);
  if (progress.lines) {
    percent -= percent % kProgressLineStep;
    if (percent == 0 || percent <= progress.lastPercent) return;
    progress.lastPercent = percent;
    // Standard output is a pipe here, fully buffered: the flush also brings out the summary
    // lines printed before, so a reader sees everything in order.
    std::printf("%s: %d%%\n", progress.label.c_str(), percent);
    std::fflush(stdout);
    return;
  }
  if (percent == progress.lastPercent) return;
  progress.lastPercent = percent;
  std::fprintf(stderr, "\r%s: %3d%%", progress.label.c_str(), percent);
  std::fflush(stderr);
}

void EndProgress(Progress& progress) {
  if (!progress.shown && !progress.lines) return;
  ShowProgress(progress, 1, 1);
  if (progress.shown) std::fputc('\n', stderr);
}
