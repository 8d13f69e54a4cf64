// The saver window's platform calls for the web page: the virtual pointer, Caps Lock, the page's
// clock; a page has no desktop folder or clipboard the program may write, so the screenshot keys
// take nothing there (the browser's own screenshot does it).
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include "platform/platform.h"
#include "shell/web/web_window.h"

WebWindow gWebWindow{};

bool PlatformCapsLockOn() { return gWebWindow.capsLock; }

void PlatformGetCursor(int32_t* x, int32_t* y) {
  *x = gWebWindow.cursorX;
  *y = gWebWindow.cursorY;
}

void PlatformSetCursor(int32_t x, int32_t y) {
  gWebWindow.cursorX = x;
  gWebWindow.cursorY = y;
}

// Microseconds of the page's high-resolution clock (performance.now()).
int64_t PlatformCounter() { return static_cast<int64_t>(emscripten_get_now() * 1000.0); }

int64_t PlatformCounterFrequency() { return 1000000; }

// The page's calendar clock (Date.now()).
int64_t PlatformUtcMillis() { return static_cast<int64_t>(emscripten_date_now()); }

// NOTE: the page's thread may not block; the browser paces frames by its display instead.
void PlatformSleepMilliseconds(int32_t) {}

bool PlatformDesktopFolder(char*, size_t) { return false; }

void PlatformCopyFrame(const uint8_t*, int32_t, int32_t) {}
