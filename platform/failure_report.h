// How loading and set-up failures are told: one line, "redsphere: " and what failed (the file or
// the step, and why), written where the platform keeps such lines (platform/platform.h). A set-up
// failure then ends the process with status 1 (FailSetUp), as the loader thread does when the
// loader gives its failure back; the shells end their window instead.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

// Formats one line as printf does and hands it to the platform. Any thread.
[[gnu::format(printf, 1, 2)]] void ReportFailure(const char* format, ...);
void ReportFailureV(const char* format, va_list args);
// The line ReportFailure would hand to the platform ("redsphere: " and the message), into line;
// for a line that must be ready before it is needed (files_linux.cpp's signal handler).
[[gnu::format(printf, 3, 4)]] void FormatFailureLine(char* line, size_t size, const char* format, ...);
// Reports one line as ReportFailure does and ends the process at once with status 1: the saver
// closes, and the line says why. For what the scene cannot be set up without (the GL set-up's star
// arrays, the mesh worker's arrays); window thread.
[[noreturn, gnu::format(printf, 1, 2)]] void FailSetUp(const char* format, ...);

// A count with its thousands grouped ("5,764"), for the lines above: Grouped(n).text.
struct GroupedCount {
  char text[32];
};
GroupedCount Grouped(uint64_t count);
