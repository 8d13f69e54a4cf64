// A platform the input tests steer: a cursor that stays where it is put, Caps Lock, a counter,
// and records of the screenshots asked for. Replaces the shells' platform calls in these tests.
#pragma once

#include <cstdint>

struct FakePlatform {
  int32_t cursorX, cursorY;
  bool capsLock;
  int64_t counter;
  int64_t counterTick;  // added to the counter at every read, as a real clock moves on
  int copiedFrames;    // Print Screen copies made
  int desktopQueries;  // F2 files made (each looks the desktop folder up; the fake has none)
};

extern FakePlatform gFakePlatform;
