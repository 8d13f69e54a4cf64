// How loading and set-up failures are told: one line, "redsphere: " and what failed (the file or
// the step, and why), written where the platform keeps such lines (platform/platform.h). The loader
// and the GL set-up then end the process with status 1; the shells end their window instead.
#pragma once

#include <cstdarg>
#include <cstdint>

// Formats one line as printf does and hands it to the platform. Any thread.
[[gnu::format(printf, 1, 2)]] void ReportFailure(const char* format, ...);
void ReportFailureV(const char* format, va_list args);

// A count with its thousands grouped ("5,764"), for the lines above: Grouped(n).text.
struct GroupedCount {
  char text[32];
};
GroupedCount Grouped(uint64_t count);
