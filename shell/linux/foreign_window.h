// An X window made by someone else (XScreenSaver, a test, a preview pane) that the program draws
// into: checked before SDL takes it, and watched for its size, which SDL does not follow there,
// and for its end, which its owner decides.
#pragma once

#include <cstdint>
#include <string>

struct ForeignWindow {
  void* display;         // the program's own Xlib connection (Display*), kept for the run
  unsigned long window;  // the X window id
  bool gone;             // its owner destroyed it: nothing may be drawn into it any more
  int32_t left, top;     // its corner on the X screen, as ForeignWindowSize last found it
};

// Opens a connection, resolves id 0 to the screen's root window, and checks that the window
// exists and that its visual can take OpenGL. False with the reason in *why.
bool OpenForeignWindow(unsigned long id, ForeignWindow& foreign, std::string* why);
// The window's current size (and its corner on the screen, into foreign.left and top); false once the window is gone (its DestroyNotify arrived, or it can
// no longer be queried), which also sets foreign.gone.
bool ForeignWindowSize(ForeignWindow& foreign, int32_t* width, int32_t* height);
void CloseForeignWindow(ForeignWindow& foreign);
