// Process entry and the run, preview and configure modes of the screensaver host.
#include "shell/win32/scrnsave/saver_host.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "platform/win32/wide_text.h"
#include "shell/saver_core.h"

HINSTANCE hMainInstance = nullptr;
HWND hMainWindow = nullptr;
BOOL fChildPreview = FALSE;

namespace {

const wchar_t kClassName[] = L"WindowsScreenSaverClass";
// Only one full-screen saver at a time; the preview in the display settings does not count.
const wchar_t kRunMutexName[] = L"Local\\Redsphere.Screensaver.Run";

POINT gStartCursor;      // where the cursor was when the run-mode window was made
bool gClosing = false;   // WM_CLOSE already posted

void CloseSaver(HWND window) {
  if (gClosing) return;
  gClosing = true;
  PostMessageW(window, WM_CLOSE, 0, 0);
}

bool CursorMovedAway() {
  POINT now;
  if (!GetCursorPos(&now)) return false;
  return std::abs(now.x - gStartCursor.x) > kMouseJitter || std::abs(now.y - gStartCursor.y) > kMouseJitter;
}

bool RegisterSaverClass(HINSTANCE instance) {
  WNDCLASSW windowClass = {};
  // CS_OWNDC from the start: the OpenGL context is made on the window's own device context.
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = ScreenSaverProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(ID_APP));
  windowClass.hCursor = nullptr;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = kClassName;
  return RegisterClassW(&windowClass) != 0;
}

int RunMessageLoop() {
  MSG message;
  for (;;) {
    // NOTE: the saver never validates its window, so a WM_PAINT is always waiting. Windows still
    // hands out input first, but Wine reads its X events only when a thread waits, or after every
    // 200 messages otherwise: keys and the mouse would reach the saver seconds late. A wait of
    // no time lets Wine read them every frame; on Windows it returns at once and changes nothing.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
    if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

// Creation that fails (WM_CREATE returned -1) leaves no window: the run ends with status 1.
int RunSaverWindow(HINSTANCE instance, HWND parent) {
  wchar_t name[64] = L"Redsphere";
  LoadStringW(instance, IDS_DESCRIPTION, name, static_cast<int>(std::size(name)));
  if (!RegisterSaverClass(instance)) return 1;
  if (fChildPreview) {
    RECT area;
    GetClientRect(parent, &area);
    hMainWindow = CreateWindowExW(0, kClassName, name, WS_CHILD | WS_VISIBLE, 0, 0, area.right, area.bottom, parent,
                                  nullptr, instance, nullptr);
  } else {
    GetCursorPos(&gStartCursor);
    // The whole virtual screen: every monitor is covered.
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    hMainWindow = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, name, WS_POPUP | WS_VISIBLE, x, y,
                                  width, height, nullptr, nullptr, instance, nullptr);
    if (hMainWindow) SetForegroundWindow(hMainWindow);
  }
  if (!hMainWindow) return 1;
  return RunMessageLoop();
}

HWND ParseWindowHandle(const char* text) {
  while (*text == ' ' || *text == '\t' || *text == ':') ++text;
  if (!std::isdigit(static_cast<unsigned char>(*text))) return nullptr;
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(text, nullptr, 10)));
}

// NOTE: the dialog procedure is declared with a BOOL result, as in MinGW's scrnsave.h, but a
// DLGPROC returns INT_PTR; casting one to the other would leave the upper half of the 64-bit
// result undefined.
INT_PTR CALLBACK ConfigureDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return ScreenSaverConfigureDialog(dialog, message, wParam, lParam);
}

}  // namespace

SaverCommand ParseSaverCommandLine(const char* commandLine) {
  const char* p = commandLine ? commandLine : "";
  while (*p == ' ' || *p == '\t') ++p;
  // Hosts have passed the program's own name first; skip it when it is there.
  if (*p == '"') {
    const char* end = std::strchr(p + 1, '"');
    p = end ? end + 1 : p + std::strlen(p);
  }
  while (*p && *p != '/' && *p != '-' && !std::isalpha(static_cast<unsigned char>(*p))) ++p;
  if (*p == '/' || *p == '-') ++p;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  const char* rest = *p ? p + 1 : p;
  switch (letter) {
    case 'S': return {SaverMode::Run, nullptr};
    case 'P': return {SaverMode::Preview, ParseWindowHandle(rest)};
    case 'C': return {SaverMode::Configure, ParseWindowHandle(rest)};
    case 'A': return {SaverMode::ChangePassword, ParseWindowHandle(rest)};
    case '\0': return {SaverMode::Configure, nullptr};
    default: return {SaverMode::None, nullptr};
  }
}

LRESULT WINAPI DefScreenSaverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!fChildPreview) {
    switch (message) {
      case WM_SETCURSOR:
        SetCursor(nullptr);
        return TRUE;
      case WM_MOUSEMOVE:
        if (CursorMovedAway()) CloseSaver(window);
        return 0;
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
        CloseSaver(window);
        return 0;
      case WM_ACTIVATE:  // the low word is the new state; the high word only says "minimised"
        if (LOWORD(wParam) == WA_INACTIVE) CloseSaver(window);
        break;
      case WM_ACTIVATEAPP:
      case WM_NCACTIVATE:
        if (wParam == 0) CloseSaver(window);
        break;
      case WM_SYSCOMMAND:
        // A second start of the saver, or the task switcher, must not act on the running saver.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE || (wParam & 0xFFF0) == SC_NEXTWINDOW ||
            (wParam & 0xFFF0) == SC_PREVWINDOW)
          return 0;
        break;
      case WM_CLOSE:
        // NT-family Windows checks the saver password itself.
        DestroyWindow(window);
        return 0;
      default:
        break;
    }
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

// wWinMain (linked with -municode): the command line as the system has it, without the program's
// name, crossing to UTF-8 like all text.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
  hMainInstance = instance;
  const SaverCommand command = ParseSaverCommandLine(NarrowFromWide(commandLine ? commandLine : L"").c_str());
  switch (command.mode) {
    case SaverMode::Run: {
      HANDLE running = CreateMutexW(nullptr, FALSE, kRunMutexName);
      if (running && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(running);
        return 0;
      }
      const int status = RunSaverWindow(instance, nullptr);
      if (running) CloseHandle(running);
      return status;
    }
    case SaverMode::Preview:
      if (!command.window || !IsWindow(command.window)) return 0;
      fChildPreview = TRUE;
      return RunSaverWindow(instance, command.window);
    case SaverMode::Configure: {
      if (!RegisterDialogClasses(instance)) return 0;
      HWND owner = command.window && IsWindow(command.window) ? command.window : GetForegroundWindow();
      DialogBoxParamW(instance, MAKEINTRESOURCEW(DLG_SCRNSAVECONFIGURE), owner, ConfigureDialogProc, 0);
      return 0;
    }
    case SaverMode::ChangePassword:  // NT-family Windows handles the saver password itself
    case SaverMode::None:
      return 0;
  }
  return 0;
}
