// Linux side of tools/mkdata/tool_platform.h.
#include <unistd.h>

#include "tools/mkdata/tool_platform.h"

bool StreamIsTerminal(FILE* stream) { return isatty(fileno(stream)) == 1; }

bool SyncFileToDisk(FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }
