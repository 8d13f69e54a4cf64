// RRGetMonitors (RandR 1.5) and the desktop's Xft.dpi.
#include "shell/linux/monitors_linux.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>
#include <X11/extensions/Xrandr.h>

#include <cstdlib>

namespace {

constexpr float kBaseDpi = 96.0f;
// Densities outside this range come from a wrong or missing physical size, not from a monitor.
constexpr float kLeastBelievableDpi = 72.0f, kMostBelievableDpi = 480.0f;

// Xft.dpi from the server's resource database, as desktops set it for their scale; 0 when unset.
float DesktopDpi(Display* display) {
  const char* resources = XResourceManagerString(display);
  if (!resources) return 0.0f;
  XrmInitialize();
  XrmDatabase database = XrmGetStringDatabase(resources);
  if (!database) return 0.0f;
  char* type = nullptr;
  XrmValue value{};
  float dpi = 0.0f;
  if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr)
    dpi = std::strtof(value.addr, nullptr);
  XrmDestroyDatabase(database);
  return dpi > 0.0f ? dpi : 0.0f;
}

}  // namespace

float ScaleFromSize(int32_t pixels, int32_t millimetres) {
  if (pixels <= 0 || millimetres <= 0) return 1.0f;
  const float dpi = pixels * 25.4f / millimetres;
  if (dpi < kLeastBelievableDpi || dpi > kMostBelievableDpi) return 1.0f;
  return dpi / kBaseDpi;
}

MonitorList ReadMonitors(void* xDisplay) {
  MonitorList list{};
  Display* display = static_cast<Display*>(xDisplay);
  int event = 0, error = 0, major = 0, minor = 0;
  if (!display || !XRRQueryExtension(display, &event, &error) || !XRRQueryVersion(display, &major, &minor) ||
      (major == 1 && minor < 5))
    return list;
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display, DefaultRootWindow(display), True, &count);
  if (!monitors) return list;
  const float desktopDpi = DesktopDpi(display);
  for (int i = 0; i < count && list.count < kMaxMonitors; ++i) {
    const XRRMonitorInfo& m = monitors[i];
    const float scale = desktopDpi > 0.0f ? desktopDpi / kBaseDpi : ScaleFromSize(m.width, m.mwidth);
    list.monitors[list.count++] = MonitorRect{m.x, m.y, m.width, m.height, scale, m.primary != 0};
  }
  XRRFreeMonitors(monitors);
  return list;
}
