// Windows side of the file and folder queries in platform/platform.h.
#include <windows.h>
#include <io.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/fault_points.h"
#include "platform/platform.h"
#include "platform/win32/user_folders.h"
#include "platform/win32/wide_text.h"

namespace {

constexpr int kReplaceAttempts = 40;            // with the pause below, a hold of up to 0.2 s
constexpr DWORD kReplaceRetryMilliseconds = 5;

HANDLE OsHandle(FILE* file) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))); }

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// The system's text for an error code, on one line without the closing full stop.
std::string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = length ? NarrowFromWide(text, static_cast<int>(length)) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' ||
                              message.back() == '.'))
    message.pop_back();
  for (char& c : message)
    if (c == '\r' || c == '\n') c = ' ';
  return message.empty() ? "system error " + std::to_string(code) : message;
}

}  // namespace

std::wstring RedsphereAppDataFolder() {
  wchar_t folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, folder))) return std::wstring();
  }
  if (folder[0] == L'\0') return std::wstring();
  return std::wstring(folder) + L"\\Redsphere";
}

FILE* PlatformOpenFile(const char* path, const char* mode) {
  if (FaultPointFails(mode[0] == 'r' ? FaultCall::Open : FaultCall::Create)) return nullptr;
  return _wfopen(WideFromNarrow(path).c_str(), WideFromNarrow(mode).c_str());
}

bool PlatformRemoveFile(const char* path) { return _wremove(WideFromNarrow(path).c_str()) == 0; }

PathKind PlatformPathKind(const char* path) {
  const DWORD attributes = GetFileAttributesW(WideFromNarrow(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return PathKind::Folder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return PathKind::Other;
  return PathKind::File;
}

int64_t PlatformFileLength(FILE* file) { return _filelengthi64(_fileno(file)); }

bool PlatformFileModified(FILE* file, int64_t* modified) {
  FILETIME written;
  if (!GetFileTime(OsHandle(file), nullptr, nullptr, &written)) return false;
  *modified = static_cast<int64_t>((static_cast<uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime);
  return true;
}

bool PlatformSeek(FILE* file, int64_t offset) { return _fseeki64(file, offset, SEEK_SET) == 0; }

bool PlatformScanDirectory(const char* folder, const char* prefix, bool (*visit)(const char* name, void* user),
                           void* user) {
  // FindFirstFileW matches the pattern without regard to letter case.
  std::string pattern = folder;
  if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
  pattern += std::string(prefix) + "*";
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(WideFromNarrow(pattern.c_str()).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    // An empty match is a folder that could be listed; a missing folder or a refusal is not.
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES;
  }
  do {
    if (!visit(NarrowFromWide(found.cFileName).c_str(), user)) break;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return true;
}

bool PlatformAbsolutePath(const char* path, char* out, size_t size) {
  const std::wstring wide = WideFromNarrow(path);
  const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return false;
  std::wstring full(length, L'\0');
  const DWORD written = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return false;
  full.resize(written);
  return NarrowInto(full.c_str(), out, size);
}

const void* PlatformMapFile(FILE* file, uint64_t bytes, const char*) {
  if (FaultPointFails(FaultCall::Map)) return nullptr;
  HANDLE mapping = CreateFileMappingW(OsHandle(file), nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!mapping) return nullptr;
  // The view keeps the mapping object (and the file) alive after both handles are closed.
  const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(bytes));
  CloseHandle(mapping);
  return view;
}

void PlatformUnmapFile(const void* view, uint64_t) { UnmapViewOfFile(view); }

bool PlatformFlushToDisk(FILE* file) {
  if (FaultPointFails(FaultCall::Flush)) return false;
  return std::fflush(file) == 0 && _commit(_fileno(file)) == 0;
}

// NOTE: the replacement fails while another process has `to` open without FILE_SHARE_DELETE or
// mapped (the C runtime's fopen shares no deletion); callers treat that as any other failure.
bool PlatformReplaceFile(const char* from, const char* to, bool writeThrough, char* reason, size_t reasonSize) {
  const DWORD flags = MOVEFILE_REPLACE_EXISTING | (writeThrough ? MOVEFILE_WRITE_THROUGH : 0);
  const std::wstring source = WideFromNarrow(from), target = WideFromNarrow(to);
  // NOTE: Windows refuses to replace a file that someone has open or mapped, as a saver has a
  // cache while it checks and reads it (virus scanners do the same to new files). Such holds are
  // mostly short, so the move is tried again for a moment before the refusal is given back.
  for (int attempt = 1;; ++attempt) {
    if (FaultPointFails(FaultCall::Replace)) {
      std::snprintf(reason, reasonSize, "%s", SystemMessage(ERROR_WRITE_FAULT).c_str());
      return false;
    }
    if (MoveFileExW(source.c_str(), target.c_str(), flags)) return true;
    const DWORD error = GetLastError();
    const bool held = error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
    if (!held || attempt == kReplaceAttempts) {
      std::snprintf(reason, reasonSize, "%s", SystemMessage(error).c_str());
      return false;
    }
    Sleep(kReplaceRetryMilliseconds);
  }
}

bool PlatformMakeFolders(const char* path) {
  const std::wstring wide = WideFromNarrow(path);
  // Every parent first; "C:" and the "\\server\share" head of a UNC path simply fail to be made.
  for (size_t i = 1; i < wide.size(); ++i) {
    if (!IsSeparator(wide[i]) || IsSeparator(wide[i - 1])) continue;
    CreateDirectoryW(wide.substr(0, i).c_str(), nullptr);
  }
  CreateDirectoryW(wide.c_str(), nullptr);
  return PlatformPathKind(path) == PathKind::Folder;
}

bool PlatformUserCacheFolder(char* out, size_t size) {
  const std::wstring base = RedsphereAppDataFolder();
  if (base.empty()) return false;
  return NarrowInto((base + L"\\cache").c_str(), out, size);
}

uint32_t PlatformProcessId() { return static_cast<uint32_t>(GetCurrentProcessId()); }

bool PlatformProcessRunning(uint32_t id) {
  if (id == 0) return false;
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
  // Access denied: it exists but belongs to someone this user may not look at.
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  // An ended process stays openable while anyone holds a handle to it; waiting tells, where
  // GetExitCodeProcess cannot tell a running process from one that returned STILL_ACTIVE (259).
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}
