// The fake platform's side of platform/platform.h's saver-window calls.
#include "tests/shell/fake_platform.h"

#include "platform/platform.h"

FakePlatform gFakePlatform{};

bool PlatformCapsLockOn() { return gFakePlatform.capsLock; }
void PlatformGetCursor(int32_t* x, int32_t* y) {
  *x = gFakePlatform.cursorX;
  *y = gFakePlatform.cursorY;
}
void PlatformSetCursor(int32_t x, int32_t y) {
  gFakePlatform.cursorX = x;
  gFakePlatform.cursorY = y;
}
int64_t PlatformCounter() { return gFakePlatform.counter += gFakePlatform.counterTick; }
int64_t PlatformCounterFrequency() { return 1000000; }
int64_t PlatformUtcMillis() { return 1790000000000; }  // 2026-09-21
void PlatformSleepMilliseconds(int32_t milliseconds) { gFakePlatform.counter += 1000LL * milliseconds; }
bool PlatformDesktopFolder(char*, size_t) {
  ++gFakePlatform.desktopQueries;
  return false;
}
void PlatformCopyFrame(const uint8_t*, int32_t, int32_t) { ++gFakePlatform.copiedFrames; }
