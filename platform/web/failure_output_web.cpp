// Web side of the failure lines: the browser's console, and the page, which shows the last line
// over the canvas (a load that fails leaves it there, naming the file and the reason).
#include <emscripten/emscripten.h>

#include <cstdio>

#include "platform/platform.h"

// NOTE: Module.redspherePage is the page's script object; the program may run without it in a test.
EM_JS(void, PageFailureLine, (const char* line), {
  if (Module.redspherePage) Module.redspherePage.failureLine(UTF8ToString(line));
});

void PlatformWriteFailureLine(const char* line) {
  std::fprintf(stderr, "%s\n", line);
  PageFailureLine(line);
}
