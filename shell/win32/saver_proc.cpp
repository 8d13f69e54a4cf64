// ScreenSaverProc: the saver window of the Windows build. The window's context, its messages
// turned into the saver core's calls (shell/saver_core.h), power news, and the preview picture.
#include <windows.h>
#include <windowsx.h>

#include <GL/glew.h>
#include <GL/wglew.h>

#include <cstring>

#include "platform/failure_report.h"
#include "render/fixed_function_back_end.h"
#include "resources/pictures.h"
#include "resources/resource_ids.h"
#include "settings/saver_settings.h"
#include "shell/saver_core.h"
#include "shell/win32/scrnsave/saver_host.h"
#include "shell/win32/monitors_win32.h"
#include "shell/win32/wgl_context.h"

namespace {

// Window-thread state of the Windows shell besides the portable saver window.
struct Win32Window {
  HDC deviceContext;   // the window's own device context (CS_OWNDC), kept for its life
  HGLRC glContext;     // the OpenGL context on it
  HBITMAP preview;     // preview mode: the picture, its memory context and the bitmap it displaced
  HDC previewDc;
  HGDIOBJ displaced;
  HPOWERNOTIFY displayNotice;  // run mode: the displays' power state and the power source
  HPOWERNOTIFY sourceNotice;
  bool displaysOff;            // the displays were turned off (a power plan): no frames
  bool paused;                 // the last WM_PAINT drew nothing
};
Win32Window gWin32{};

// Power news for the run: displays off or on, mains or battery. A saver keeps running while a
// power plan turns the displays off; drawing into them then only spends power.
void WatchPower(HWND window) {
  gWin32.displayNotice = RegisterPowerSettingNotification(window, &GUID_CONSOLE_DISPLAY_STATE, DEVICE_NOTIFY_WINDOW_HANDLE);
  gWin32.sourceNotice = RegisterPowerSettingNotification(window, &GUID_ACDC_POWER_SOURCE, DEVICE_NOTIFY_WINDOW_HANDLE);
  SYSTEM_POWER_STATUS status;
  if (GetSystemPowerStatus(&status)) SaverSetOnBattery(status.ACLineStatus == 0);
}

void StopWatchingPower() {
  if (gWin32.displayNotice) UnregisterPowerSettingNotification(gWin32.displayNotice);
  if (gWin32.sourceNotice) UnregisterPowerSettingNotification(gWin32.sourceNotice);
  gWin32.displayNotice = gWin32.sourceNotice = nullptr;
}

// PBT_POWERSETTINGCHANGE: the display state is 0 off, 1 on, 2 dimmed (still shown); the power
// source 0 mains, 1 battery, 2 a short-term source such as a UPS.
void PowerSettingChanged(HWND window, const POWERBROADCAST_SETTING* setting) {
  if (!setting || setting->DataLength < sizeof(DWORD)) return;
  DWORD value;
  std::memcpy(&value, setting->Data, sizeof value);
  if (setting->PowerSetting == GUID_CONSOLE_DISPLAY_STATE) {
    gWin32.displaysOff = value == 0;
    if (!gWin32.displaysOff) InvalidateRect(window, nullptr, FALSE);  // the frames come back at once
  } else if (setting->PowerSetting == GUID_ACDC_POWER_SOURCE) {
    SaverSetOnBattery(value != 0);
  }
}

// Whether frames would be seen: displays on, the window neither minimised nor covered whole.
bool FramesSeen(HWND window) {
  if (gWin32.displaysOff || IsIconic(window)) return false;
  RECT visible;
  return GetClipBox(gWin32.deviceContext, &visible) != NULLREGION;
}

// WM_PAINT: one frame, or none while nobody could see it. Validating the window then leaves the
// message loop waiting in GetMessage, using no processor, until something shows the window again.
void Paint(HWND window) {
  if (!FramesSeen(window)) {
    ValidateRect(window, nullptr);
    gWin32.paused = true;
    return;
  }
  if (gWin32.paused) SaverResume();
  gWin32.paused = false;
  // Never validated: the system sends WM_PAINT again whenever the queue is empty, one frame each.
  SaverFrame(GetFocus() == window);
  SwapBuffers(gWin32.deviceContext);
}

void SwapWindow(void*) { SwapBuffers(gWin32.deviceContext); }

LRESULT CreateSaver(HWND window) {
  LoadSettings(gSaverSettings);
  SetClassLongPtrW(window, GCL_STYLE, GetClassLongPtrW(window, GCL_STYLE) | CS_OWNDC);

  DEVMODEW mode = {};
  mode.dmSize = sizeof mode;
  if (!EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
    ReportFailure("the display mode cannot be read (EnumDisplaySettings failed)");
    return -1;
  }
  SaverSetRefreshRate(mode.dmDisplayFrequency);
  RECT client;
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);

  gWin32.deviceContext = GetDC(window);
  gWin32.glContext = CreateSaverContext(hMainInstance, gWin32.deviceContext);
  if (!gWin32.glContext) {
    ReportFailure("no OpenGL context with extensions on this display (pixel format, context or glewInit failed)");
    return -1;
  }
  // Two vertical retraces per swap: the frame rate the pacing aims at.
  if (WGLEW_EXT_swap_control) wglSwapIntervalEXT(2);
  const SaverHost host{&FixedFunctionBackEnd(), OverlayHandles{hMainInstance, gWin32.deviceContext},
                       SwapWindow, nullptr, WindowRect{origin.x, origin.y, client.right, client.bottom},
                       ReadMonitors(), true, nullptr, false, false, 0};
  if (!SaverStart(gSaverSettings, host)) return -1;
  WatchPower(window);
  return 0;
}

void DestroySaver() {
  StopWatchingPower();
  SaverDestroy();
  wglMakeCurrent(nullptr, nullptr);
  if (gWin32.glContext) wglDeleteContext(gWin32.glContext);
  if (gWin32.deviceContext) ReleaseDC(hMainWindow, gWin32.deviceContext);
  gWin32.glContext = nullptr;
  gWin32.deviceContext = nullptr;
}

void Resize(HWND window, LPARAM lParam) {
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  SaverResize(LOWORD(lParam), HIWORD(lParam), origin.x, origin.y);
}

// A monitor added, removed or resized: the window covers the new virtual screen (input anywhere
// still ends the saver) and the views are laid out again over the new monitors.
void DisplayChanged(HWND window) {
  SaverSetMonitors(ReadMonitors(), true);
  DEVMODEW mode = {};
  mode.dmSize = sizeof mode;
  if (EnumDisplaySettingsW(nullptr, ENUM_CURRENT_SETTINGS, &mode)) SaverSetRefreshRate(mode.dmDisplayFrequency);
  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (width > 0 && height > 0) SetWindowPos(window, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
  InvalidateRect(window, nullptr, FALSE);
}

LRESULT RunningProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return CreateSaver(window);
    case WM_DESTROY:
      DestroySaver();
      break;
    case WM_SIZE:
      Resize(window, lParam);
      return 0;
    case WM_MOVE:
      SaverMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      return 0;
    case WM_DISPLAYCHANGE:
      DisplayChanged(window);
      return 0;
    case WM_DPICHANGED:
      // A monitor's scale was changed in the display settings: the overlays follow it. The window
      // keeps covering the virtual screen rather than taking the suggested rectangle.
      SaverSetMonitors(ReadMonitors(), true);
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_POWERBROADCAST:
      if (wParam != PBT_POWERSETTINGCHANGE) break;
      PowerSettingChanged(window, reinterpret_cast<const POWERBROADCAST_SETTING*>(lParam));
      return TRUE;
    case WM_ERASEBKGND:
      return 1;
    case WM_KEYDOWN:
      if (SaverKeyDown(static_cast<int32_t>(wParam))) return 0;
      break;
    case WM_KEYUP:
      if (SaverKeyUp(static_cast<int32_t>(wParam))) return 0;
      break;
    case WM_MOUSEMOVE:
      if (SaverMouseMoved()) return 0;
      break;
    case WM_LBUTTONDOWN:
      if (SaverButtonDown(SaverButton::Left)) return 0;
      break;
    case WM_RBUTTONDOWN:
      if (SaverButtonDown(SaverButton::Right)) return 0;
      break;
    case WM_MOUSEWHEEL:
      if (SaverWheel(GET_WHEEL_DELTA_WPARAM(wParam))) return 0;
      break;
    default:
      break;
  }
  return DefScreenSaverProc(window, message, wParam, lParam);
}

LRESULT PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      gWin32.preview = LoadBitmapW(hMainInstance, MAKEINTRESOURCEW(REDSPHERE_PREVIEW_BITMAP));
      if (!gWin32.preview) return 0;
      HDC dc = GetDC(window);
      gWin32.previewDc = CreateCompatibleDC(dc);
      if (gWin32.previewDc) gWin32.displaced = SelectObject(gWin32.previewDc, gWin32.preview);
      ReleaseDC(window, dc);
      return 0;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
      if (gWin32.previewDc)
        BitBlt(dc, (client.right - kPreviewSize) / 2, (client.bottom - kPreviewSize) / 2, kPreviewSize, kPreviewSize,
               gWin32.previewDc, 0, 0, SRCCOPY);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_ARROW));
      return 1;
    case WM_DESTROY:
      if (gWin32.previewDc) {
        SelectObject(gWin32.previewDc, gWin32.displaced);
        DeleteDC(gWin32.previewDc);
      }
      if (gWin32.preview) DeleteObject(gWin32.preview);
      gWin32.previewDc = nullptr;
      gWin32.preview = nullptr;
      break;
    default:
      break;
  }
  return DefScreenSaverProc(window, message, wParam, lParam);
}

}  // namespace

LRESULT WINAPI ScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return fChildPreview ? PreviewProc(window, message, wParam, lParam) : RunningProc(window, message, wParam, lParam);
}
