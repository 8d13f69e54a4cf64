// Web side of the failure lines: the browser's console, and the page, which shows the last line
// over the canvas (a load that fails leaves it there, naming the file and the reason).
#include <emscripten/emscripten.h>

#include <cstdio>
#include <string>

#include "platform/linux/failure_text.h"
#include "platform/platform.h"

// The POSIX file calls the page shares with Linux prepare their lines with this; a page's standard
// error is the console, never a terminal.
std::string FailureText(const char* line) { return std::string(line) + '\n'; }

// NOTE: Module.redspherePage is the page's script object; the program may run without it in a test.
EM_JS(void, PageFailureLine, (const char* line), {
  if (Module.redspherePage) Module.redspherePage.failureLine(UTF8ToString(line));
});

void PlatformWriteFailureLine(const char* line) {
  std::fprintf(stderr, "%s\n", line);
  PageFailureLine(line);
}
