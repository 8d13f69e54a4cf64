// Linux side of the file and folder queries in shell/platform.h.
#include <dirent.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "shell/platform.h"

char* PlatformGetCwd() { return getcwd(nullptr, 0); }

bool PlatformChdir(const char* path) { return chdir(path) == 0; }

int64_t PlatformFileLength(FILE* file) {
  struct stat info;
  if (fstat(fileno(file), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_size);
}

void PlatformScanDirectory(const char* prefix, bool (*visit)(const char* name, void* user), void* user) {
  DIR* dir = opendir(".");
  if (!dir) return;
  const size_t prefixLength = std::strlen(prefix);
  while (const dirent* entry = readdir(dir)) {
    if (std::strncmp(entry->d_name, prefix, prefixLength) != 0) continue;
    if (!visit(entry->d_name, user)) break;
  }
  closedir(dir);
}

const void* PlatformMapFile(FILE* file, uint64_t bytes) {
  // MAP_POPULATE maps every page of the page cache at once; read-only, so nothing is copied.
  void* view = mmap(nullptr, bytes, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fileno(file), 0);
  return view == MAP_FAILED ? nullptr : view;
}

void PlatformUnmapFile(const void* view, uint64_t bytes) { munmap(const_cast<void*>(view), bytes); }
