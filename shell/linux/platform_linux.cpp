// Linux side of the saver window's platform calls: Caps Lock and the cursor through Xlib, the
// monotonic clock (or the stepped clock of --frames), sleeping, the XDG desktop folder, and Print
// Screen, which saves a numbered file because the desktop usually keeps that key for itself.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/platform.h"
#include "settings/saver_settings.h"
#include "shell/linux/linux_platform.h"
#include "shell/screenshot.h"

namespace {

constexpr int64_t kNanosecondsPerSecond = 1000000000;

// Main thread only (the frame loop, the input handlers and the pacing all run there).
struct LinuxPlatform {
  Display* display;   // the window's X connection; null outside a run
  bool steppedClock;  // PlatformCounter reads `now` instead of the monotonic clock
  int64_t now;        // nanoseconds, moved only by AdvanceSteppedClock
};
LinuxPlatform gLinuxPlatform{};

bool IsFolder(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// What `xdg-user-dir DESKTOP` prints, without its line end; empty when it prints nothing.
std::string XdgDesktop() {
  FILE* pipe = popen("xdg-user-dir DESKTOP 2>/dev/null", "r");
  if (!pipe) return "";
  char line[kDataPathSize + 2] = {};
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  if (!read) return "";
  std::string path = line;
  while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
  return path;
}

bool CopyOut(const std::string& path, char* out, size_t size) {
  if (path.size() >= size) return false;
  std::memcpy(out, path.c_str(), path.size() + 1);
  return true;
}

}  // namespace

void UsePointerDisplay(void* display) { gLinuxPlatform.display = static_cast<Display*>(display); }

void UseSteppedClock() { gLinuxPlatform.steppedClock = true; }

void AdvanceSteppedClock(int64_t nanoseconds) { gLinuxPlatform.now += nanoseconds; }

// The lock state of the keyboard itself, as GetKeyState reads it, whichever window had the focus
// when Caps Lock was pressed.
bool PlatformCapsLockOn() {
  if (!gLinuxPlatform.display) return false;
  XkbStateRec state;
  if (XkbGetState(gLinuxPlatform.display, XkbUseCoreKbd, &state) != Success) return false;
  return (state.locked_mods & LockMask) != 0;
}

// NOTE: SDL's global mouse state is a cache that pointer motion outside its own event stream
// (a warp, another client, XTest) does not always renew; the server is asked directly.
void PlatformGetCursor(int32_t* x, int32_t* y) {
  *x = *y = 0;
  Display* display = gLinuxPlatform.display;
  if (!display) return;
  Window root, child;
  int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
  unsigned int buttons = 0;
  if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &buttons))
    return;
  *x = rootX;
  *y = rootY;
}

void PlatformSetCursor(int32_t x, int32_t y) {
  Display* display = gLinuxPlatform.display;
  if (!display) return;
  XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
  XFlush(display);
}

int64_t PlatformCounter() {
  if (gLinuxPlatform.steppedClock) return gLinuxPlatform.now;
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * kNanosecondsPerSecond + now.tv_nsec;
}

int64_t PlatformCounterFrequency() { return kNanosecondsPerSecond; }

int64_t PlatformUtcMillis() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void PlatformSleepMilliseconds(int32_t milliseconds) {
  if (milliseconds <= 0) return;
  timespec wait{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
  // A signal cuts the sleep short; the pacing loop around it measures and sleeps again.
  nanosleep(&wait, nullptr);
}

bool PlatformDesktopFolder(char* out, size_t size) {
  const char* homeVariable = std::getenv("HOME");
  const std::string home = homeVariable ? homeVariable : "";
  // NOTE: xdg-user-dir prints $HOME when the user's folder list names no desktop, so that answer
  // only counts once $HOME/Desktop has been looked for.
  const std::string xdg = XdgDesktop();
  if (IsFolder(xdg) && xdg != home) return CopyOut(xdg, out, size);
  if (!home.empty() && IsFolder(home + "/Desktop")) return CopyOut(home + "/Desktop", out, size);
  if (IsFolder(home)) return CopyOut(home, out, size);
  return false;
}

void PlatformCopyFrame(const uint8_t* bgr, int32_t width, int32_t height) {
  char desktop[kDataPathSize] = {};
  if (PlatformDesktopFolder(desktop, sizeof desktop)) SaveNumberedScreenshot(desktop, bgr, width, height);
}
