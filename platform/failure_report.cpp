// The platform-neutral half of the failure lines.
#include "platform/failure_report.h"

#include <cstdio>
#include <cstdlib>

#include "platform/platform.h"

namespace {

constexpr char kPrefix[] = "redsphere: ";
constexpr size_t kLineSize = 1024;  // two data folder paths and a reason fit with room to spare


void FormatFailureLineV(char* line, size_t size, const char* format, va_list args) {
  std::snprintf(line, size, "%s", kPrefix);
  if (size > sizeof kPrefix) std::vsnprintf(line + sizeof kPrefix - 1, size - (sizeof kPrefix - 1), format, args);
}

}  // namespace

void FormatFailureLine(char* line, size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatFailureLineV(line, size, format, args);
  va_end(args);
}

void ReportFailureV(const char* format, va_list args) {
  char line[kLineSize];
  FormatFailureLineV(line, sizeof line, format, args);
  PlatformWriteFailureLine(line);
}

void ReportFailure(const char* format, ...) {
  va_list args;
  va_start(args, format);
  ReportFailureV(format, args);
  va_end(args);
}

void FailSetUp(const char* format, ...) {
  va_list args;
  va_start(args, format);
  ReportFailureV(format, args);
  va_end(args);
  std::_Exit(1);
}

GroupedCount Grouped(uint64_t count) {
  char digits[24];
  const int length = std::snprintf(digits, sizeof digits, "%llu", static_cast<unsigned long long>(count));
  GroupedCount grouped{};
  int out = 0;
  for (int i = 0; i < length; ++i) {
    if (i > 0 && (length - i) % 3 == 0) grouped.text[out++] = ',';
    grouped.text[out++] = digits[i];
  }
  grouped.text[out] = '\0';
  return grouped;
}
