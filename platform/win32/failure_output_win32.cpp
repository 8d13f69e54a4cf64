// Windows side of the failure lines. A screensaver has no console and shows no messages, so its
// lines go to a small log in the user's local application data, and to a debugger if one listens.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "platform/win32/user_folders.h"
#include "platform/win32/wide_text.h"

namespace {

constexpr LONGLONG kLogLimit = 64 * 1024;  // bytes; past this the log starts over

// Appends one entry to redsphere.log, or writes it into a fresh log when the entry would take
// the log past its limit. Failures are silent: there is nowhere left to tell.
void AppendToLog(const char* line) {
  const std::wstring folder = RedsphereAppDataFolder();
  if (folder.empty()) return;
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + L"\\redsphere.log";

  SYSTEMTIME now;
  GetLocalTime(&now);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u %02u:%02u:%02u ", now.wYear, now.wMonth, now.wDay, now.wHour,
                now.wMinute, now.wSecond);
  const std::string entry = stamp + std::string(line) + "\r\n";  // UTF-8, as Notepad reads it

  // Other savers (one per monitor's preview, a run beside the dialog) may append at the same time.
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  HANDLE log = CreateFileW(path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, share, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE) return;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(log, &size) || size.QuadPart + static_cast<LONGLONG>(entry.size()) > kLogLimit) {
    CloseHandle(log);
    log = CreateFileW(path.c_str(), GENERIC_WRITE, share, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) return;
  }
  DWORD written = 0;
  WriteFile(log, entry.data(), static_cast<DWORD>(entry.size()), &written, nullptr);
  CloseHandle(log);
}

}  // namespace

void PlatformWriteFailureLine(const char* line) {
  AppendToLog(line);
  OutputDebugStringW((WideFromNarrow(line) + L"\n").c_str());
  // Seen only when the saver was started with its standard error redirected (tests, scripts).
  const std::string text = std::string(line) + "\n";
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}
