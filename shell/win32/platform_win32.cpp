// Windows side of the saver window's platform calls: keys, cursor, clock, desktop folder and the
// clipboard copy of the frame.
#include <windows.h>
#include <mmsystem.h>
#include <shlobj.h>


#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"
#include "shell/screenshot.h"
#include "shell/win32/scrnsave/saver_host.h"

bool PlatformCapsLockOn() { return (GetKeyState(VK_CAPITAL) & 1) != 0; }

void PlatformGetCursor(int32_t* x, int32_t* y) {
  POINT point = {};
  GetCursorPos(&point);
  *x = point.x;
  *y = point.y;
}

void PlatformSetCursor(int32_t x, int32_t y) { SetCursorPos(x, y); }

int64_t PlatformCounter() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return counter.QuadPart;
}

int64_t PlatformCounterFrequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

int64_t PlatformUtcMillis() {
  // FILETIME counts 100 ns intervals from 1601-01-01; 1970 came 11644473600 s later.
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const int64_t ticks = (static_cast<int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return ticks / 10000 - 11644473600000;
}

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace {

// NOTE: Sleep rounds up to the system timer's tick (often 15.6 ms). A high-resolution waitable
// timer (Windows 10 1803 and later) wakes within a fraction of a millisecond; elsewhere the
// system timer is asked for 1 ms ticks for the saver's life.
HANDLE MakeSleepTimer() {
  HANDLE timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
  if (!timer) timeBeginPeriod(1);
  return timer;
}

}  // namespace

void PlatformSleepMilliseconds(int32_t milliseconds) {
  if (milliseconds <= 0) return;
  static HANDLE timer = MakeSleepTimer();
  if (timer) {
    LARGE_INTEGER due;
    due.QuadPart = -10000LL * milliseconds;  // relative, in 100 ns units
    if (SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE)) {
      WaitForSingleObject(timer, INFINITE);
      return;
    }
  }
  Sleep(static_cast<DWORD>(milliseconds));
}

bool PlatformDesktopFolder(char* out, size_t size) {
  wchar_t folder[MAX_PATH] = {};
  // A profile's shell folders may be made only when first asked for (a new profile under Wine).
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY | CSIDL_FLAG_CREATE, nullptr, 0, folder))) return false;
  return NarrowInto(folder, out, size);
}

void PlatformCopyFrame(const uint8_t* bgr, int32_t width, int32_t height) {
  if (width <= 0 || height <= 0 || !bgr) return;
  const uint32_t imageSize = BmpImageSize(width, height);
  // The saver's own window owns the clipboard data (GetActiveWindow may be null between messages).
  if (!OpenClipboard(hMainWindow)) return;
  if (!EmptyClipboard()) {
    CloseClipboard();
    return;
  }
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, imageSize + kBmpInfoHeaderSize);
  if (!memory) {
    CloseClipboard();
    return;
  }
  uint8_t* image = static_cast<uint8_t*>(GlobalLock(memory));
  if (!image) {
    GlobalFree(memory);
    CloseClipboard();
    return;
  }
  WriteBmpInfoHeader(image, width, height);
  std::memcpy(image + kBmpInfoHeaderSize, bgr, imageSize);
  GlobalUnlock(memory);
  // The clipboard owns the memory from here on.
  if (!SetClipboardData(CF_DIB, memory)) GlobalFree(memory);
  CloseClipboard();
}
