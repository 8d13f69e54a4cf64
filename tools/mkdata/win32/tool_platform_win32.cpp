// Windows side of tools/mkdata/tool_platform.h.
// NOTE: the builder's narrow paths come from argv and go to fopen() and std::filesystem, which all
// read them in the ANSI code page (UTF-8 where Windows is set to use it for every program). The
// wide calls here convert through that same code page, or a name with an accent would be
// written by fopen() under one name and looked for by MoveFileExW() under another.
#include <windows.h>
#include <io.h>

#include <vector>

#include "tools/mkdata/tool_platform.h"
#include "tools/mkdata/win32/wide_path.h"

std::wstring WidenPath(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

namespace {

std::string Narrow(const wchar_t* text, int length) {
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_ACP, 0, text, length, narrow.data(), bytes, nullptr, nullptr);
  return narrow;
}

// The system's text for an error code, on one line without the closing full stop.
std::string SystemMessage(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = length ? Narrow(text, static_cast<int>(length)) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' ||
                              message.back() == '.'))
    message.pop_back();
  for (char& c : message)
    if (c == '\r' || c == '\n') c = ' ';
  return message.empty() ? "system error " + std::to_string(code) : message;
}

}  // namespace

bool StreamIsTerminal(FILE* stream) {
  // NOTE: _isatty() is also true for the NUL device, which would print progress into nowhere;
  // only a console answers GetConsoleMode.
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode);
}

// _commit() is FlushFileBuffers() on the stream's handle.
bool SyncFileToDisk(FILE* file) { return std::fflush(file) == 0 && _commit(_fileno(file)) == 0; }

std::string ProgramFolder() {
  // Paths can exceed MAX_PATH; the call truncates silently, so grow until the name fits.
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      std::string folder = Narrow(path.data(), static_cast<int>(length));
      const size_t separator = folder.find_last_of("\\/");
      return separator == std::string::npos ? std::string() : folder.substr(0, separator);
    }
    if (path.size() >= 32768) return std::string();
    path.resize(path.size() * 2);
  }
}

bool ReplaceFileWith(const std::string& source, const std::string& target, std::string& reason) {
  // NOTE: rename() refuses an existing target on Windows. MOVEFILE_WRITE_THROUGH returns only
  // once the new directory entry is on the disk. Fails while another program holds the old file
  // open without FILE_SHARE_DELETE (the saver mapping it, for one).
  if (MoveFileExW(WidenPath(source).c_str(), WidenPath(target).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  reason = SystemMessage(GetLastError());
  return false;
}

uint32_t CurrentProcessId() { return GetCurrentProcessId(); }

bool ProcessIsRunning(uint32_t id) {
  if (id == 0) return false;
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id);
  // Access denied: it exists but belongs to someone the builder may not look at.
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  // An ended process stays openable while anyone holds a handle to it.
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}
