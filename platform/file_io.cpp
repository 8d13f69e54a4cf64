// Reading, writing and closing an open file: stdio on both platforms, each call a fault point.
#include <cerrno>

#include "platform/fault_points.h"
#include "platform/platform.h"

size_t PlatformReadFile(FILE* file, void* data, size_t bytes) {
  if (FaultPointFails(FaultCall::Read)) return 0;
  return std::fread(data, 1, bytes, file);
}

size_t PlatformWriteFile(FILE* file, const void* data, size_t bytes) {
  if (FaultPointFails(FaultCall::Write)) return 0;
  return std::fwrite(data, 1, bytes, file);
}

bool PlatformCloseWrittenFile(FILE* file) {
  if (FaultPointFails(FaultCall::Flush)) {
    const int reason = errno;  // fclose may set its own; the injected one is the one to report
    std::fclose(file);
    errno = reason;
    return false;
  }
  return std::fclose(file) == 0;
}
