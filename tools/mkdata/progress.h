// Progress of long work as a percentage: on standard error, rewritten in place, only when standard
// error is a terminal, so scripts and logs stay quiet; or, when asked for, as one line every 10 %
// on standard output for programs that show the output of a pipe line by line (the Windows setup).
// Used from the builder's main thread only.
#pragma once

#include <cstdint>
#include <string>

struct Progress {
  bool shown = false;    // standard error is a terminal
  bool lines = false;    // whole lines on standard output instead, one per step of kProgressLineStep
  std::string label;     // what is being made, e.g. "level 16"
  int lastPercent = -1;  // the last percentage printed
};

constexpr int kProgressLineStep = 10;

Progress StartProgress(const std::string& label, bool lines);
void ShowProgress(Progress& progress, uint64_t done, uint64_t total);
// Ends the progress (100 %) so the next output starts on a line of its own.
void EndProgress(Progress& progress);
