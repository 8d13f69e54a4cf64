// The percentage line, rewritten in place with a carriage return.
#include "tools/mkdata/progress.h"

#include <cstdio>

#include "tools/mkdata/tool_platform.h"

Progress StartProgress(const std::string& label) {
  Progress progress;
  progress.shown = StreamIsTerminal(stderr);
  progress.label = label;
  ShowProgress(progress, 0, 1);
  return progress;
}

void ShowProgress(Progress& progress, uint64_t done, uint64_t total) {
  if (!progress.shown || total == 0) return;
  const int percent = static_cast<int>(done * 100 / total);
  if (percent == progress.lastPercent) return;
  progress.lastPercent = percent;
  std::fprintf(stderr, "\r%s: %3d%%", progress.label.c_str(), percent);
  std::fflush(stderr);
}

void EndProgress(Progress& progress) {
  if (!progress.shown) return;
  ShowProgress(progress, 1, 1);
  std::fputc('\n', stderr);
}
