// Linux side of tools/mkdata/tool_platform.h.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "tools/mkdata/tool_platform.h"

bool StreamIsTerminal(FILE* stream) { return isatty(fileno(stream)) == 1; }

bool SyncFileToDisk(FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  std::string folder(path, static_cast<size_t>(length));
  const size_t slash = folder.rfind('/');
  return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

bool ReplaceFileWith(const std::string& source, const std::string& target, std::string& reason) {
  if (std::rename(source.c_str(), target.c_str()) == 0) return true;
  reason = std::strerror(errno);
  return false;
}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

bool ProcessIsRunning(uint32_t id) {
  // NOTE: kill() takes 0 and negative ids as process groups, so they never reach it.
  if (id == 0 || id > static_cast<uint32_t>(INT_MAX)) return false;
  // EPERM: the process exists but belongs to another user.
  return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}
