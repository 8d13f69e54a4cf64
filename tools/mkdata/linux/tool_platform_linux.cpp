// Linux side of tools/mkdata/tool_platform.h.
#include <unistd.h>

#include <climits>

#include "tools/mkdata/tool_platform.h"

bool StreamIsTerminal(FILE* stream) { return isatty(fileno(stream)) == 1; }

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  std::string folder(path, static_cast<size_t>(length));
  const size_t slash = folder.rfind('/');
  return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

std::vector<std::string> ProgramArguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }
