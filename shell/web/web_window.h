// The web page's side of the saver window: the pointer as manual control reads it, Caps Lock, and
// the page's state the platform calls of shell/web/platform_web.cpp report. One record, written
// by the page's event callbacks and read by the frame, on the page's one thread.
#pragma once

#include <cstdint>

struct WebWindow {
  // A page cannot move the pointer: manual control parks a virtual one, which a drag (mouse or one
  // finger) moves by the distance dragged.
  int32_t cursorX, cursorY;
  bool capsLock;         // from the last key event
  bool buttonDown;       // the left button or one finger is down: moves drag the virtual pointer
  int32_t dragDistance;  // pixels dragged since the button went down; a click has none to speak of
  long touchX, touchY;   // where the dragging finger was at its last event, page pixels
  double pinchDistance;  // between two fingers, 0 while fewer touch
};

extern WebWindow gWebWindow;
