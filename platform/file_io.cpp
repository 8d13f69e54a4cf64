// Reading, writing and closing an open file: stdio on both platforms, each call a fault point.
#include <cerrno>

#include "platform/fault_points.h"
#include "platform/platform.h"

size_t PlatformReadFile(FILE* file, void* data, size_t bytes) {
  if (FaultPointFails(FaultCall::Read)) return 0;
  return std::fread(data, 1, bytes, file);
}

// NOTE: Windows' C runtime comes back from a write that the disk had room for only in part with a
// short count and errno as it was (Wine's msvcrt does so on a full file system), and fails the
// close of such a stream with errno 0: the reason would be some earlier call's, or none. A short
// write to a file with no reason is the disk running out of room; a failed close with none, an
// input/output error.
size_t PlatformWriteFile(FILE* file, const void* data, size_t bytes) {
  if (FaultPointFails(FaultCall::Write)) return 0;
  errno = 0;
  const size_t written = std::fwrite(data, 1, bytes, file);
  if (written < bytes && errno == 0) errno = ENOSPC;
  return written;
}

bool PlatformCloseWrittenFile(FILE* file) {
  if (FaultPointFails(FaultCall::Flush)) {
    const int reason = errno;  // fclose may set its own; the injected one is the one to report
    std::fclose(file);
    errno = reason;
    return false;
  }
  errno = 0;
  if (std::fclose(file) == 0) return true;
  if (errno == 0) errno = EIO;
  return false;
}
