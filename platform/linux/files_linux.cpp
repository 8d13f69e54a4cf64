// Linux side of the file and folder queries in platform/platform.h.
#include <dirent.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/failure_report.h"
#include "platform/fault_points.h"
#include "platform/linux/failure_text.h"
#include "platform/platform.h"

namespace {

bool CopyOut(const std::string& text, char* out, size_t size) {
  if (text.size() >= size) return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
}

// NOTE: a mapped file cut short under the program (cp of a new data set over the old one truncates
// each file in place) loses the pages past its new end from every mapping, and the next read of
// one raises SIGBUS, which would end the saver without a word. Each view is listed here with the
// line that names its file, made when it is mapped; a SIGBUS inside one writes that line and ends
// the process with status 1, as a data file that cannot be used at start does.
struct MappedView {
  std::atomic<bool> claimed{false};           // the slot is taken (any thread mapping a table)
  std::atomic<const char*> start{nullptr};   // published last, cleared first: what the handler reads
  uint64_t bytes = 0;
  char text[1100] = {};  // the failure line as standard error takes it
  size_t length = 0;
};
// A level maps at most seven tables; more views than slots are simply not mapped.
constexpr int kMaxViews = 16;
MappedView gViews[kMaxViews];

void OnBusError(int, siginfo_t* info, void*) {
  const char* at = static_cast<const char*>(info->si_addr);
  for (const MappedView& view : gViews) {
    const char* start = view.start.load(std::memory_order_acquire);
    if (!start || at < start || static_cast<uint64_t>(at - start) >= view.bytes) continue;
    // Only async-signal-safe calls here.
    ssize_t written = write(STDERR_FILENO, view.text, view.length);
    (void)written;
    _exit(1);
  }
  // Not a table's page: the access is made again on return and the signal ends the process as
  // it would have without this handler.
  signal(SIGBUS, SIG_DFL);
}

void WatchBusErrors() {
  static const bool installed = [] {
    struct sigaction action = {};
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGBUS, &action, nullptr) == 0;
  }();
  (void)installed;
}

// A free slot, claimed for this thread; null when all are taken.
MappedView* ClaimView() {
  for (MappedView& view : gViews) {
    bool expected = false;
    if (view.claimed.compare_exchange_strong(expected, true)) return &view;
  }
  return nullptr;
}

}  // namespace

FILE* PlatformOpenFile(const char* path, const char* mode) {
  if (FaultPointFails(mode[0] == 'r' ? FaultCall::Open : FaultCall::Create)) return nullptr;
  return std::fopen(path, mode);
}

bool PlatformRemoveFile(const char* path) { return std::remove(path) == 0; }

PathKind PlatformPathKind(const char* path) {
  struct stat info;
  if (stat(path, &info) != 0) return PathKind::Missing;
  if (S_ISREG(info.st_mode)) return PathKind::File;
  if (S_ISDIR(info.st_mode)) return PathKind::Folder;
  return PathKind::Other;
}

int64_t PlatformFileLength(FILE* file) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

bool PlatformFileModified(FILE* file, int64_t* modified) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return false;
  *modified = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  return true;
}

bool PlatformSeek(FILE* file, int64_t offset) { return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0; }

bool PlatformScanDirectory(const char* folder, const char* prefix, bool (*visit)(const char* name, void* user),
                           void* user) {
  DIR* dir = opendir(folder);
  if (!dir) return false;
  const size_t prefixLength = std::strlen(prefix);
  while (const dirent* entry = readdir(dir)) {
    if (std::strncmp(entry->d_name, prefix, prefixLength) != 0) continue;
    if (!visit(entry->d_name, user)) break;
  }
  closedir(dir);
  return true;
}

bool PlatformAbsolutePath(const char* path, char* out, size_t size) {
  char* resolved = realpath(path, nullptr);
  if (!resolved) return false;
  const bool fits = CopyOut(resolved, out, size);
  std::free(resolved);
  return fits;
}

const void* PlatformMapFile(FILE* file, uint64_t bytes, const char* name) {
  if (FaultPointFails(FaultCall::Map)) return nullptr;
  WatchBusErrors();
  MappedView* slot = ClaimView();
  if (!slot) return nullptr;
  // MAP_POPULATE maps every page of the page cache at once; read-only, so nothing is copied.
  void* view = mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fileno(file), 0);
  if (view == MAP_FAILED) {
    slot->claimed.store(false);
    return nullptr;
  }
  char line[1024];
  FormatFailureLine(line, sizeof line, "%s: it was cut short while the program read it", name);
  const std::string text = FailureText(line);
  slot->length = std::min(text.size(), sizeof slot->text);
  std::memcpy(slot->text, text.data(), slot->length);
  slot->bytes = bytes;
  slot->start.store(static_cast<const char*>(view), std::memory_order_release);
  return view;
}

void PlatformUnmapFile(const void* view, uint64_t bytes) {
  for (MappedView& slot : gViews) {
    if (slot.start.load() != view) continue;
    slot.start.store(nullptr, std::memory_order_release);
    slot.claimed.store(false);
  }
  munmap(const_cast<void*>(view), bytes);
}

bool PlatformFlushToDisk(FILE* file) {
  if (FaultPointFails(FaultCall::Flush)) return false;
  return std::fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool PlatformReplaceFile(const char* from, const char* to, bool, char* reason, size_t reasonSize) {
  if (!FaultPointFails(FaultCall::Replace) && rename(from, to) == 0) return true;
  std::snprintf(reason, reasonSize, "%s", std::strerror(errno));
  return false;
}

bool PlatformMakeFolders(const char* path) {
  std::string partial = path;
  // Every parent first, from the top down; folders that exist already are no error.
  for (size_t slash = partial.find('/', 1); slash != std::string::npos; slash = partial.find('/', slash + 1)) {
    const std::string parent = partial.substr(0, slash);
    if (mkdir(parent.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  if (mkdir(path, 0755) != 0 && errno != EEXIST) return false;
  return PlatformPathKind(path) == PathKind::Folder;
}

bool PlatformUserCacheFolder(char* out, size_t size) {
  // The XDG base directory rules: a relative $XDG_CACHE_HOME is to be ignored.
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg && xdg[0] == '/') return CopyOut(std::string(xdg) + "/redsphere", out, size);
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return CopyOut(std::string(home) + "/.cache/redsphere", out, size);
  return false;
}

uint32_t PlatformProcessId() { return static_cast<uint32_t>(getpid()); }

bool PlatformProcessRunning(uint32_t id) {
  // NOTE: kill() takes 0 and negative ids as process groups, so they never reach it.
  if (id == 0 || id > static_cast<uint32_t>(INT_MAX)) return false;
  // EPERM: the process exists but belongs to another user.
  return kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}
