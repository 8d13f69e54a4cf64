// Progress of long work as a percentage on standard error, shown only when standard error is a
// terminal, so scripts and logs stay quiet. Used from the builder's main thread only.
#pragma once

#include <cstdint>
#include <string>

struct Progress {
  bool shown = false;    // standard error is a terminal
  std::string label;     // what is being made, e.g. "level 16"
  int lastPercent = -1;  // the last percentage printed
};

Progress StartProgress(const std::string& label);
void ShowProgress(Progress& progress, uint64_t done, uint64_t total);
// Ends the progress line (100 %) so the next output starts on a line of its own.
void EndProgress(Progress& progress);
