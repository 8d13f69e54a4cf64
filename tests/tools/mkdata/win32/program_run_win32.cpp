// Running the data builder from its Windows tests: in this process with standard output sent to
// NUL, or as the real program with CreateProcess, its output in files it inherits.
#include <windows.h>
#include <aclapi.h>
#include <fcntl.h>
#include <io.h>
#include <sddl.h>

#include <cstdio>
#include <filesystem>

#include "platform/win32/wide_text.h"
#include "tests/tools/mkdata/mkdata_sources.h"

namespace {

// One argument as the C runtime's command-line parser splits it back: quoted when it holds
// blanks or quotes, backslashes doubled only where they precede a quote.
std::wstring QuoteArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < argument.size() && argument[i] == L'\\') ++i, ++backslashes;
    if (i == argument.size()) {
      quoted.append(backslashes * 2, L'\\');
      break;
    }
    quoted.append(argument[i] == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    quoted.push_back(argument[i]);
  }
  quoted.push_back(L'"');
  return quoted;
}

HANDLE InheritableFile(const std::string& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(WideFromNarrow(path.c_str()).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     &inherit, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool RunMkdataQuietly(const MkdataOptions& options, std::string& error) {
  std::fflush(stdout);
  const int saved = _dup(_fileno(stdout));
  const int sink = _open("NUL", _O_WRONLY);
  _dup2(sink, _fileno(stdout));
  const bool ok = RunMkdata(options, error);
  std::fflush(stdout);
  _dup2(saved, _fileno(stdout));
  _close(sink);
  _close(saved);
  return ok;
}

ProgramRun RunMkdataProgramUntil(const std::vector<std::string>& arguments, const std::function<bool()>& killNow) {
  static int serial = 0;
  const std::string stem = (std::filesystem::temp_directory_path() /
                            ("redsphere-mkdata-run-" + std::to_string(GetCurrentProcessId()) + "-" +
                             std::to_string(serial++)))
                               .string();
  const std::string outPath = stem + ".out", errPath = stem + ".err";
  std::wstring commandLine = QuoteArgument(WideFromNarrow(REDSPHERE_MKDATA_PROGRAM));
  for (const std::string& argument : arguments) commandLine += L" " + QuoteArgument(WideFromNarrow(argument.c_str()));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = InheritableFile("NUL", GENERIC_READ, OPEN_EXISTING);
  startup.hStdOutput = InheritableFile(outPath, GENERIC_WRITE, CREATE_ALWAYS);
  startup.hStdError = InheritableFile(errPath, GENERIC_WRITE, CREATE_ALWAYS);
  PROCESS_INFORMATION child{};
  const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                      &startup, &child);
  for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  DWORD exitCode = 0;
  bool killed = false;
  if (started) {
    CloseHandle(child.hThread);
    while (WaitForSingleObject(child.hProcess, 1) == WAIT_TIMEOUT)
      // A process that ended meanwhile cannot be terminated: it then counts as not killed.
      if (!killed && killNow && killNow()) killed = TerminateProcess(child.hProcess, 1) != 0;
    WaitForSingleObject(child.hProcess, INFINITE);
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hProcess);
  }
  ProgramRun run{started && !killed ? static_cast<int>(exitCode) : -1, ReadTextFile(outPath), ReadTextFile(errPath)};
  std::remove(outPath.c_str());
  std::remove(errPath.c_str());
  return run;
}

ProgramRun RunMkdataProgram(const std::vector<std::string>& arguments) { return RunMkdataProgramUntil(arguments, nullptr); }

bool MakeFolderUsersMayChange(const std::string& path) {
  // Everyone full control, as a folder a standard user made under %ProgramData% may well grant.
  // Set after the folder is made: Wine makes a folder's Unix mode through the umask, which would
  // take the write rights away again.
  const std::wstring widePath = WideFromNarrow(path.c_str());
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!CreateDirectoryW(widePath.c_str(), nullptr) ||
      !ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;OICI;FA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr))
    return false;
  BOOL present = FALSE, defaulted = FALSE;
  ACL* dacl = nullptr;
  const bool set = GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) &&
                   SetNamedSecurityInfoW(const_cast<wchar_t*>(widePath.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                         nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
  LocalFree(descriptor);
  return set;
}

bool MakeFolderLink(const std::string& link, const std::string& target) {
  constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE, developer mode
  const std::wstring wideLink = WideFromNarrow(link.c_str());
  // Wine 8 answers success without making a link: only a link that is there counts.
  CreateSymbolicLinkW(wideLink.c_str(), WideFromNarrow(target.c_str()).c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | kUnprivileged);
  const DWORD attributes = GetFileAttributesW(wideLink.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
