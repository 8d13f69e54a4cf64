// Writing a file under this process's temporary name, publishing it over the final name, and
// sweeping away what writers that no longer run left of the same name.
#include "platform/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/platform.h"

namespace {

// Counts this process's temporary files, so two threads writing one name never share a file.
std::atomic<uint32_t> gSerial{0};

bool Fail(AtomicFile& pending, const char* what, const std::string& reason, std::string& error) {
  error = std::string("cannot ") + what + " " + pending.path + ": " + reason;
  DiscardAtomicFile(pending);
  return false;
}

// Where the file name starts: after the last separator this platform knows ('\' too on Windows,
// where it is no character of a name).
size_t NameStart(const std::string& path) {
  const bool backslashToo = std::filesystem::path::preferred_separator != '/';
  const size_t separator = path.find_last_of(backslashToo ? "/\\" : "/");
  return separator == std::string::npos ? 0 : separator + 1;
}

// The decimal number at text[*at], of at most ten digits and up to UINT32_MAX; false when there
// is none or it is larger.
bool ReadNumber(const std::string& text, size_t* at, uint32_t* value) {
  const size_t start = *at;
  uint64_t number = 0;
  while (*at < text.size() && *at - start < 10 && text[*at] >= '0' && text[*at] <= '9')
    number = number * 10 + static_cast<uint64_t>(text[(*at)++] - '0');
  if (*at == start || number > UINT32_MAX) return false;
  *value = static_cast<uint32_t>(number);
  return true;
}

// The writer's process id of a name that is exactly prefix, "PID-SERIAL", ".tmp"; false for any
// other name, so another file's temporary name ("." NAME ".5.PID-SERIAL.tmp") never matches.
bool WriterOf(const std::string& name, const std::string& prefix, uint32_t* writer) {
  if (name.compare(0, prefix.size(), prefix) != 0) return false;
  size_t at = prefix.size();
  uint32_t serial = 0;
  return ReadNumber(name, &at, writer) && at < name.size() && name[at++] == '-' && ReadNumber(name, &at, &serial) &&
         name.compare(at, std::string::npos, ".tmp") == 0;
}

bool CollectName(const char* name, void* names) {
  static_cast<std::vector<std::string>*>(names)->push_back(name);
  return true;
}

}  // namespace

// Removes the temporary files of path whose writer has ended. A live writer's file stays, this
// process's own included, and so does one whose id a new process has taken: a later write of the
// same name removes it. Nothing is reported: a leftover that stays harms no reader.
void SweepAtomicLeftovers(const std::string& path) {
  const size_t nameStart = NameStart(path);
  const std::string folder = path.substr(0, nameStart);
  std::string prefix(1, '.');  // built in steps: GCC 12 warns wrongly (-Wrestrict) on "." + string
  prefix += path.substr(nameStart);
  prefix += '.';
  std::vector<std::string> names;
  // Windows lists the prefix without regard to letter case; WriterOf compares it exactly.
  if (!PlatformScanDirectory(folder.empty() ? "." : folder.c_str(), prefix.c_str(), CollectName, &names)) return;
  const uint32_t self = PlatformProcessId();
  for (const std::string& name : names) {
    uint32_t writer = 0;
    if (!WriterOf(name, prefix, &writer) || writer == self || PlatformProcessRunning(writer)) continue;
    PlatformRemoveFile((folder + name).c_str());
  }
}

std::string AtomicTempName(const std::string& path, uint32_t processId, uint32_t serial) {
  const size_t nameStart = NameStart(path);
  return path.substr(0, nameStart) + "." + path.substr(nameStart) + "." + std::to_string(processId) + "-" +
         std::to_string(serial) + ".tmp";
}

bool BeginAtomicFile(const std::string& path, AtomicWrite mode, AtomicFile& pending, std::string& error) {
  SweepAtomicLeftovers(path);
  pending.path = path;
  pending.mode = mode;
  pending.tempPath = AtomicTempName(path, PlatformProcessId(), gSerial.fetch_add(1));
  pending.file = PlatformOpenFile(pending.tempPath.c_str(), "wb");
  if (!pending.file) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    pending.tempPath.clear();
    return false;
  }
  return true;
}

bool AppendAtomicFile(AtomicFile& pending, const void* data, size_t bytes, std::string& error) {
  if (bytes == 0) return true;
  if (PlatformWriteFile(pending.file, data, bytes) != bytes) return Fail(pending, "write", std::strerror(errno), error);
  return true;
}

bool FinishAtomicFile(AtomicFile& pending, std::string& error) {
  const bool flushed = pending.mode != AtomicWrite::Durable || PlatformFlushToDisk(pending.file);
  const int code = errno;
  const bool closed = PlatformCloseWrittenFile(pending.file);
  pending.file = nullptr;
  if (!flushed || !closed) return Fail(pending, "write", std::strerror(flushed ? errno : code), error);
  return true;
}

bool CommitAtomicFile(AtomicFile& pending, std::string& error) {
  char reason[256];
  if (!PlatformReplaceFile(pending.tempPath.c_str(), pending.path.c_str(), pending.mode == AtomicWrite::Durable,
                           reason, sizeof reason))
    return Fail(pending, "replace", reason, error);
  pending.tempPath.clear();
  return true;
}

AtomicFile::~AtomicFile() { DiscardAtomicFile(*this); }

void DiscardAtomicFile(AtomicFile& pending) {
  if (pending.file) std::fclose(pending.file);
  pending.file = nullptr;
  if (!pending.tempPath.empty()) PlatformRemoveFile(pending.tempPath.c_str());
  pending.tempPath.clear();
}

bool WriteAtomicFile(const std::string& path, AtomicWrite mode, const void* data, size_t bytes, std::string& error) {
  AtomicFile pending;
  return BeginAtomicFile(path, mode, pending, error) && AppendAtomicFile(pending, data, bytes, error) &&
         FinishAtomicFile(pending, error) && CommitAtomicFile(pending, error);
}
