// Windows side of the file and folder queries in shell/platform.h.
#include <direct.h>
#include <io.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "shell/platform.h"

char* PlatformGetCwd() { return _getcwd(nullptr, 0); }

bool PlatformChdir(const char* path) { return _chdir(path) == 0; }

int64_t PlatformFileLength(FILE* file) { return _filelengthi64(_fileno(file)); }

void PlatformScanDirectory(const char* prefix, bool (*visit)(const char* name, void* user), void* user) {
  // FindFirstFileA matches the pattern without regard to letter case.
  const std::string pattern = std::string(prefix) + "*";
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!visit(found.cFileName, user)) break;
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

const void* PlatformMapFile(FILE* file, uint64_t bytes) {
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  HANDLE mapping = CreateFileMappingA(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!mapping) return nullptr;
  // The view keeps the mapping object (and the file) alive after both handles are closed.
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(bytes));
  CloseHandle(mapping);
  return view;
}

void PlatformUnmapFile(const void* view, uint64_t) { UnmapViewOfFile(view); }
