// EnumDisplayMonitors and each monitor's DPI. The saver declares itself per-monitor DPI aware in
// its manifest, so the rectangles are real pixels and GetDpiForMonitor gives each monitor's own
// density (Windows 8.1 and later; looked up at run time, the saver still starts on older systems).
#include "shell/win32/monitors_win32.h"

#include <windows.h>

namespace {

constexpr float kBaseDpi = 96.0f;  // Windows' 100% scale
constexpr int kEffectiveDpi = 0;   // MDT_EFFECTIVE_DPI of shellscalingapi.h

using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

GetDpiForMonitorFunction DpiLookup() {
  static const GetDpiForMonitorFunction lookup = [] {
    const HMODULE shcore = LoadLibraryW(L"shcore.dll");
    return shcore ? reinterpret_cast<GetDpiForMonitorFunction>(
                        reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                  : nullptr;
  }();
  return lookup;
}

float SystemScale() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi / kBaseDpi : 1.0f;
}

float MonitorScale(HMONITOR monitor) {
  UINT x = 0, y = 0;
  const GetDpiForMonitorFunction lookup = DpiLookup();
  if (lookup && SUCCEEDED(lookup(monitor, kEffectiveDpi, &x, &y)) && x > 0) return x / kBaseDpi;
  return SystemScale();
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MonitorList& list = *reinterpret_cast<MonitorList*>(data);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (list.count == kMaxMonitors || !GetMonitorInfoW(monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  list.monitors[list.count++] = MonitorRect{r.left, r.top, r.right - r.left, r.bottom - r.top, MonitorScale(monitor),
                                            (info.dwFlags & MONITORINFOF_PRIMARY) != 0};
  return TRUE;
}

}  // namespace

MonitorList ReadMonitors() {
  MonitorList list{};
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&list));
  return list;
}
