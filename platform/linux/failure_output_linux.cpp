// Linux side of the failure lines: standard error, where a terminal, a session log or
// XScreenSaver's own output keeps them.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/linux/failure_text.h"
#include "platform/platform.h"

std::string FailureText(const char* line) {
  std::string text;
  // A terminal may be showing the loading line, which is rewritten in place without a line end:
  // the failure takes its place instead of trailing it.
  if (isatty(STDERR_FILENO)) text = "\r\033[K";
  text += line;
  text += '\n';
  return text;
}

void PlatformWriteFailureLine(const char* line) {
  const std::string text = FailureText(line);
  // One write, so lines of two threads or processes on one stream never interleave.
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}
