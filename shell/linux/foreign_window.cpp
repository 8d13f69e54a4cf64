// Xlib and GLX queries on a foreign window. X errors are caught by a handler of our own around
// each query: Xlib's default handler would end the process on a window that has gone away.
#include "shell/linux/foreign_window.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

namespace {

constexpr int kConnectAttempts = 5;
constexpr useconds_t kConnectRetryMicroseconds = 50000;

// Set by the handler while one of our queries runs; main thread only.
bool gXError = false;

int RecordXError(Display*, XErrorEvent*) {
  gXError = true;
  return 0;
}

// XGetWindowAttributes, and where the window's corner lies on the screen when origin is given,
// with errors caught; false when the window does not exist.
bool QueryWindow(Display* display, Window window, XWindowAttributes* attributes, int32_t* origin = nullptr) {
  XSync(display, False);
  gXError = false;
  int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(RecordXError);
  Status ok = XGetWindowAttributes(display, window, attributes);
  Window child = 0;
  int x = 0, y = 0;
  if (ok && origin) ok = XTranslateCoordinates(display, window, attributes->root, 0, 0, &x, &y, &child);
  if (origin) {
    origin[0] = x;
    origin[1] = y;
  }
  XSync(display, False);
  XSetErrorHandler(previous);
  return ok != 0 && !gXError;
}

std::string WindowName(unsigned long id) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%lx", id);
  return text;
}

}  // namespace

bool OpenForeignWindow(unsigned long id, ForeignWindow& foreign, std::string* why) {
  foreign = ForeignWindow{};
  // The same retries as the program's first connection (see StartVideo in sdl_window.cpp).
  Display* display = nullptr;
  for (int attempt = 0; attempt < kConnectAttempts && !display; ++attempt) {
    display = XOpenDisplay(nullptr);
    if (!display) usleep(kConnectRetryMicroseconds);
  }
  if (!display) {
    *why = "cannot open the X display";
    return false;
  }
  foreign.display = display;
  foreign.window = id != 0 ? id : DefaultRootWindow(display);
  XWindowAttributes attributes;
  if (!QueryWindow(display, foreign.window, &attributes)) {
    *why = "there is no X window " + WindowName(foreign.window);
    CloseForeignWindow(foreign);
    return false;
  }
  XVisualInfo wanted{};
  wanted.visualid = XVisualIDFromVisual(attributes.visual);
  int count = 0;
  XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
  int usesGl = 0;
  if (visual) {
    glXGetConfig(display, visual, GLX_USE_GL, &usesGl);
    XFree(visual);
  }
  if (!usesGl) {
    *why = "X window " + WindowName(foreign.window) + " has a visual without OpenGL";
    CloseForeignWindow(foreign);
    return false;
  }
  // Its DestroyNotify reaches this connection whatever SDL selects on its own.
  XSelectInput(display, foreign.window, StructureNotifyMask);
  XFlush(display);
  return true;
}

bool ForeignWindowSize(ForeignWindow& foreign, int32_t* width, int32_t* height) {
  Display* display = static_cast<Display*>(foreign.display);
  while (!foreign.gone && XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == DestroyNotify && event.xdestroywindow.window == foreign.window) foreign.gone = true;
  }
  XWindowAttributes attributes;
  int32_t origin[2];
  if (!foreign.gone && !QueryWindow(display, foreign.window, &attributes, origin)) foreign.gone = true;
  if (foreign.gone) return false;
  *width = attributes.width;
  *height = attributes.height;
  foreign.left = origin[0];
  foreign.top = origin[1];
  return true;
}

void CloseForeignWindow(ForeignWindow& foreign) {
  if (foreign.display) XCloseDisplay(static_cast<Display*>(foreign.display));
  foreign.display = nullptr;
}
