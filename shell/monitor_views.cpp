// Lays out the saver window's views over the monitors it covers.
#include "shell/monitor_views.h"

#include <algorithm>

namespace {

struct Box {
  int32_t left, top, right, bottom;
};

Box MonitorBox(const MonitorRect& m) { return Box{m.left, m.top, m.left + m.width, m.top + m.height}; }
Box WindowBox(const WindowRect& w) { return Box{w.left, w.top, w.left + w.width, w.top + w.height}; }

Box Intersect(const Box& a, const Box& b) {
  return Box{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
             std::min(a.bottom, b.bottom)};
}

bool Empty(const Box& b) { return b.right <= b.left || b.bottom <= b.top; }

int32_t PrimaryIndex(const MonitorList& monitors) {
  for (int32_t i = 0; i < monitors.count; ++i)
    if (monitors.monitors[i].primary) return i;
  return 0;
}

float PrimaryScale(const MonitorList& monitors) {
  return monitors.count > 0 ? monitors.monitors[PrimaryIndex(monitors)].scale : 1.0f;
}

// A view of a desktop box inside the window; GL counts rows from the window's bottom.
MonitorView ViewOf(const Box& box, const WindowRect& window, float scale) {
  MonitorView v;
  v.left = box.left;
  v.top = box.top;
  v.x = box.left - window.left;
  v.width = box.right - box.left;
  v.height = box.bottom - box.top;
  v.y = window.height - (box.top - window.top) - v.height;
  v.scale = scale;
  return v;
}

bool SameBox(const MonitorView& v, const Box& box) {
  return v.left == box.left && v.top == box.top && v.width == box.right - box.left && v.height == box.bottom - box.top;
}

// Adds the monitor's part of the window unless it is empty or a mirror of a view already there.
void AddMonitorView(ViewLayout& layout, const MonitorRect& monitor, const WindowRect& window, bool primary) {
  const Box part = Intersect(MonitorBox(monitor), WindowBox(window));
  if (Empty(part) || layout.count == kMaxFrameViews) return;
  for (int32_t i = 0; i < layout.count; ++i) {
    if (!SameBox(layout.views[i], part)) continue;
    if (primary) layout.primary = i;
    return;
  }
  if (primary) layout.primary = layout.count;
  layout.views[layout.count++] = ViewOf(part, window, monitor.scale);
}

// The scale of the monitor holding the window's centre, else the primary's.
float CentreScale(const MonitorList& monitors, const WindowRect& window) {
  const int32_t x = window.left + window.width / 2, y = window.top + window.height / 2;
  for (int32_t i = 0; i < monitors.count; ++i) {
    const Box b = MonitorBox(monitors.monitors[i]);
    if (x >= b.left && x < b.right && y >= b.top && y < b.bottom) return monitors.monitors[i].scale;
  }
  return PrimaryScale(monitors);
}

}  // namespace

ViewLayout LayoutViews(MonitorMode mode, const MonitorList& monitors, const WindowRect& window, bool spansMonitors) {
  ViewLayout layout{};
  MonitorList list = monitors;
  const int32_t count = list.count = std::clamp(monitors.count, 0, kMaxMonitors);
  if (spansMonitors && mode == MonitorMode::Each) {
    const int32_t primary = PrimaryIndex(list);
    for (int32_t i = 0; i < count; ++i) AddMonitorView(layout, list.monitors[i], window, i == primary);
  } else if (spansMonitors && mode == MonitorMode::Primary && count > 0) {
    AddMonitorView(layout, list.monitors[PrimaryIndex(list)], window, true);
  }
  if (layout.count == 0) {
    const float scale = spansMonitors ? PrimaryScale(list) : CentreScale(list, window);
    layout.views[layout.count++] = ViewOf(WindowBox(window), window, scale);
    layout.primary = 0;
  }
  return layout;
}

int32_t ViewAt(const ViewLayout& layout, int32_t desktopX, int32_t desktopY) {
  for (int32_t i = 0; i < layout.count; ++i) {
    const MonitorView& v = layout.views[i];
    if (desktopX >= v.left && desktopX < v.left + v.width && desktopY >= v.top && desktopY < v.top + v.height) return i;
  }
  return layout.primary;
}
