// Linux side of the file and folder queries in platform/platform.h.
#include <dirent.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/fault_points.h"
#include "platform/platform.h"

namespace {

bool CopyOut(const std::string& text, char* out, size_t size) {
  if (text.size() >= size) return false;
  std::memcpy(out, text.c_str(), text.size() + 1);
  return true;
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

const void* PlatformMapFile(FILE* file, uint64_t bytes) {
  if (FaultPointFails(FaultCall::Map)) return nullptr;
  // MAP_POPULATE maps every page of the page cache at once; read-only, so nothing is copied.
  void* view = mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fileno(file), 0);
  return view == MAP_FAILED ? nullptr : view;
}

void PlatformUnmapFile(const void* view, uint64_t bytes) { munmap(const_cast<void*>(view), bytes); }

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
