// Temporary-name writing and the rename that publishes a data file.
#include "tools/mkdata/atomic_file.h"

#include <cerrno>
#include <cstring>

#include "tools/mkdata/tool_platform.h"

namespace {

bool Fail(PendingFile& pending, const char* what, int code, std::string& error) {
  error = std::string("cannot ") + what + " " + pending.path + ": " + std::strerror(code);
  DiscardFile(pending);
  return false;
}

}  // namespace

bool BeginFile(const std::string& path, PendingFile& pending, std::string& error) {
  pending.path = path;
  pending.tempPath = path + ".tmp";
  pending.file = std::fopen(pending.tempPath.c_str(), "wb");
  if (!pending.file) {
    error = "cannot write " + pending.tempPath + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

bool AppendFile(PendingFile& pending, const void* data, size_t bytes, std::string& error) {
  if (bytes == 0) return true;
  if (std::fwrite(data, 1, bytes, pending.file) != bytes) return Fail(pending, "write", errno, error);
  return true;
}

bool FinishFile(PendingFile& pending, std::string& error) {
  const bool synced = SyncFileToDisk(pending.file);
  const int code = errno;
  const bool closed = std::fclose(pending.file) == 0;
  pending.file = nullptr;
  if (!synced || !closed) return Fail(pending, "write", synced ? errno : code, error);
  return true;
}

bool CommitFile(PendingFile& pending, std::string& error) {
  if (std::rename(pending.tempPath.c_str(), pending.path.c_str()) != 0)
    return Fail(pending, "replace", errno, error);
  pending.tempPath.clear();
  return true;
}

void DiscardFile(PendingFile& pending) {
  if (pending.file) std::fclose(pending.file);
  pending.file = nullptr;
  if (!pending.tempPath.empty()) std::remove(pending.tempPath.c_str());
  pending.tempPath.clear();
}

bool WriteWholeFile(const std::string& path, const void* data, size_t bytes, std::string& error) {
  PendingFile pending;
  return BeginFile(path, pending, error) && AppendFile(pending, data, bytes, error) &&
         FinishFile(pending, error) && CommitFile(pending, error);
}
