// The views of the saver window: one per monitor it covers, one across them all, or the primary
// monitor's alone, as the run's "Monitors" choice says. Plain logic over the monitor rectangles the
// shells read from the system (Windows' monitor list, RandR), so a test can lay out any desktop.
#pragma once

#include <cstdint>

#include "settings/run_config.h"
#include "render/frame_request.h"

// A monitor as the system reports it: its rectangle in desktop pixels (y down; the virtual
// screen's coordinates on Windows, the X screen's on Linux), its pixel scale (1 at 96 dots per
// inch) and whether it is the primary one.
struct MonitorRect {
  int32_t left, top, width, height;
  float scale;
  bool primary;
};
constexpr int32_t kMaxMonitors = kMaxFrameViews;
struct MonitorList {
  int32_t count;
  MonitorRect monitors[kMaxMonitors];
};

// The saver window's client area in desktop pixels.
struct WindowRect {
  int32_t left, top, width, height;
};

// One view of the window: where it lies on the desktop (to find the one under the pointer), its
// viewport in window pixels from the bottom-left corner, and the scale its overlays are drawn at.
struct MonitorView {
  int32_t left, top;
  int32_t x, y, width, height;
  float scale;
};
struct ViewLayout {
  int32_t count;      // at least 1
  MonitorView views[kMaxFrameViews];
  int32_t primary;    // the view on the primary monitor (the frame rate, the help without a pointer)
};

// The views of a window. spansMonitors: the window is the saver's full-screen one (or a host's
// window that may cross monitors); otherwise it is an ordinary window and shows one view, at the
// scale of the monitor that holds its centre. Each: a view per monitor the window covers (the part
// it covers; a mirrored monitor once); Span: the whole window; Primary: the primary monitor's part
// (the first monitor's when none is marked primary). With no monitor in the window, one view of
// the whole window at the primary's scale (1 without monitors).
ViewLayout LayoutViews(MonitorMode mode, const MonitorList& monitors, const WindowRect& window, bool spansMonitors);

// The view whose desktop rectangle holds the point, else the primary view.
int32_t ViewAt(const ViewLayout& layout, int32_t desktopX, int32_t desktopY);
