// What the Linux program sets up for its platform calls (shell/linux/platform_linux.cpp): the X
// connection the cursor and Caps Lock are read through, and the clock behind PlatformCounter,
// which --frames replaces by one that only the frame loop moves, so its pictures are a steady 30
// per second of flight however long each one takes to draw.
#pragma once

#include <cstdint>

// The window's X connection (a Display*), or null when it goes. Main thread, after SDL opened it.
void UsePointerDisplay(void* display);

// From now on PlatformCounter reads a clock that stands still until AdvanceSteppedClock moves it.
// Main thread, before the first frame.
void UseSteppedClock();
// Moves the stepped clock on by `nanoseconds`. Main thread, before each frame.
void AdvanceSteppedClock(int64_t nanoseconds);
