// Windows side of tools/mkdata/tool_platform.h.
#include <windows.h>
#include <shellapi.h>
#include <io.h>

#include <vector>

#include "platform/win32/wide_text.h"
#include "tools/mkdata/tool_platform.h"

bool StreamIsTerminal(FILE* stream) {
  // NOTE: _isatty() is also true for the NUL device, which would print progress into nowhere;
  // only a console answers GetConsoleMode.
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode);
}

std::string ProgramFolder() {
  // Paths can exceed MAX_PATH; the call truncates silently, so grow until the name fits.
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) {
      std::string folder = NarrowFromWide(path.data(), static_cast<int>(length));
      const size_t separator = folder.find_last_of("\\/");
      return separator == std::string::npos ? std::string() : folder.substr(0, separator);
    }
    if (path.size() >= 32768) return std::string();
    path.resize(path.size() * 2);
  }
}

std::vector<std::string> ProgramArguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 0; wide && i < count; ++i) arguments.push_back(NarrowFromWide(wide[i]));
  if (wide) LocalFree(wide);
  return arguments;
}
