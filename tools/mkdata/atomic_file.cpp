// Temporary-name writing, the replace that publishes a data file, and the clean-up of what killed
// builders left behind.
#include "tools/mkdata/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tools/mkdata/tool_platform.h"

namespace {

bool Fail(PendingFile& pending, const char* what, const std::string& reason, std::string& error) {
  error = std::string("cannot ") + what + " " + pending.path + ": " + reason;
  DiscardFile(pending);
  return false;
}

// Where the file name starts: after the last separator this platform knows.
size_t NameStart(const std::string& path) {
  const bool backslashToo = std::filesystem::path::preferred_separator != '/';
  const size_t separator = path.find_last_of(backslashToo ? "/\\" : "/");
  return separator == std::string::npos ? 0 : separator + 1;
}

// Removes ".NAME.PID.tmp" files beside path whose process has ended. A live builder's file, and
// one whose id a new process has taken, stay; either is removed by a later run.
void RemoveAbandonedFiles(const std::string& path) {
  namespace fs = std::filesystem;
  const size_t nameStart = NameStart(path);
  const std::string folder = nameStart ? path.substr(0, nameStart) : std::string(".");
  std::string prefixText(1, '.');  // built in steps: GCC 12 warns wrongly (-Wrestrict) on "." + string
  prefixText += path.substr(nameStart);
  prefixText += '.';
  // NOTE: names are compared in the system's own form (UTF-16 on Windows): libstdc++ turns a
  // listed name back into narrow text by another rule than the one that made it from ours.
  const fs::path::string_type prefix = fs::path(prefixText).native(), suffix = fs::path(".tmp").native();
  const uint32_t self = CurrentProcessId();
  std::error_code code;
  for (fs::directory_iterator entry(folder, code), end; !code && entry != end; entry.increment(code)) {
    const fs::path::string_type name = entry->path().filename().native();
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
      continue;
    const fs::path::string_type digits = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    uint64_t id = 0;
    for (const auto c : digits) id = c >= '0' && c <= '9' && id <= UINT32_MAX ? id * 10 + (c - '0') : UINT64_MAX;
    if (id > UINT32_MAX || id == self || ProcessIsRunning(static_cast<uint32_t>(id))) continue;
    std::error_code ignored;
    fs::remove(entry->path(), ignored);
  }
}

}  // namespace

std::string TemporaryFileName(const std::string& path, uint32_t processId) {
  const size_t nameStart = NameStart(path);
  return path.substr(0, nameStart) + "." + path.substr(nameStart) + "." + std::to_string(processId) + ".tmp";
}

bool BeginFile(const std::string& path, PendingFile& pending, std::string& error) {
  RemoveAbandonedFiles(path);
  pending.path = path;
  pending.tempPath = TemporaryFileName(path, CurrentProcessId());
  pending.file = std::fopen(pending.tempPath.c_str(), "wb");
  if (!pending.file) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    pending.tempPath.clear();
    return false;
  }
  return true;
}

bool AppendFile(PendingFile& pending, const void* data, size_t bytes, std::string& error) {
  if (bytes == 0) return true;
  if (std::fwrite(data, 1, bytes, pending.file) != bytes) return Fail(pending, "write", std::strerror(errno), error);
  return true;
}

bool FinishFile(PendingFile& pending, std::string& error) {
  const bool synced = SyncFileToDisk(pending.file);
  const int code = errno;
  const bool closed = std::fclose(pending.file) == 0;
  pending.file = nullptr;
  if (!synced || !closed) return Fail(pending, "write", std::strerror(synced ? errno : code), error);
  return true;
}

bool CommitFile(PendingFile& pending, std::string& error) {
  std::string reason;
  if (!ReplaceFileWith(pending.tempPath, pending.path, reason)) return Fail(pending, "replace", reason, error);
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
