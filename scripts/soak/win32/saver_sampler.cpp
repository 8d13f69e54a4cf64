// The Windows side of scripts/soak.sh: finds a running program by its file name and prints, every
// INTERVAL seconds, its private bytes, working set and pagefile bytes (GetProcessMemoryInfo), its
// GDI and USER objects (GetGuiResources) and its kernel handles, one CSV line each, until it ends or
// COUNT lines are written. Built by the soak script with MinGW-w64; runs under Wine beside the saver
// (or on Windows beside a real one).
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr DWORD kFindTries = 600;  // 100 ms apart: a saver's first start under Wine can be slow

DWORD FindProcess(const char* exeName) {
  for (DWORD attempt = 0; attempt < kFindTries; ++attempt) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
      PROCESSENTRY32 entry{};
      entry.dwSize = sizeof entry;
      for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exeName) == 0) {
          CloseHandle(snapshot);
          return entry.th32ProcessID;
        }
      }
      CloseHandle(snapshot);
    }
    Sleep(100);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: saver_sampler EXE-NAME INTERVAL-SECONDS COUNT\n");
    return 2;
  }
  const int interval = std::atoi(argv[2]), count = std::atoi(argv[3]);
  if (interval < 1 || count < 1) {
    std::fprintf(stderr, "saver_sampler: INTERVAL-SECONDS and COUNT must be whole numbers from 1\n");
    return 2;
  }
  const DWORD pid = FindProcess(argv[1]);
  if (pid == 0) {
    std::fprintf(stderr, "saver_sampler: no process named %s\n", argv[1]);
    return 1;
  }
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, pid);
  if (!process) {
    std::fprintf(stderr, "saver_sampler: cannot open process %lu (error %lu)\n", pid, GetLastError());
    return 1;
  }
  std::printf("seconds,private_bytes,working_set_bytes,pagefile_bytes,gdi_objects,user_objects,handles\n");
  const ULONGLONG start = GetTickCount64();
  for (int line = 0; line < count; ++line) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    // NOTE: Wine 8 counts no private bytes (0), answers GetGuiResources with 0 and
    // ERROR_CALL_NOT_IMPLEMENTED and counts no handles: a field it cannot know is left empty, never 0.
    SetLastError(0);
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    const bool gdiKnown = gdi != 0 || GetLastError() == 0;
    SetLastError(0);
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    const bool userKnown = user != 0 || GetLastError() == 0;
    DWORD handles = 0;
    const bool handlesKnown = GetProcessHandleCount(process, &handles) && handles != 0;
    char privateText[24] = "", gdiText[16] = "", userText[16] = "", handleText[16] = "";
    if (memory.PrivateUsage != 0) std::snprintf(privateText, sizeof privateText, "%llu", static_cast<unsigned long long>(memory.PrivateUsage));
    if (gdiKnown) std::snprintf(gdiText, sizeof gdiText, "%lu", gdi);
    if (userKnown) std::snprintf(userText, sizeof userText, "%lu", user);
    if (handlesKnown) std::snprintf(handleText, sizeof handleText, "%lu", handles);
    std::printf("%llu,%s,%llu,%llu,%s,%s,%s\n", (GetTickCount64() - start) / 1000, privateText,
                static_cast<unsigned long long>(memory.WorkingSetSize),
                static_cast<unsigned long long>(memory.PagefileUsage), gdiText, userText, handleText);
    std::fflush(stdout);
    if (WaitForSingleObject(process, static_cast<DWORD>(interval) * 1000) == WAIT_OBJECT_0) break;
  }
  CloseHandle(process);
  return 0;
}
