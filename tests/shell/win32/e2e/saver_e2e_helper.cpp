// The Windows side of the end-to-end runs of redsphere.scr under Wine, one sub-command per job:
// writes the data folder, runs the saver for its exit code, names the desktop folder, reads the
// clipboard back, hosts previews, drives the settings dialog and lists the monitors. saver_e2e.py
// checks what it prints.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shell/win32/settings_dialog_ids.h"
#include "tests/support/test_data.h"

namespace {

constexpr DWORD kPollMs = 100;
constexpr DWORD kFindDialogMs = 60000;     // Wine's first start in a fresh prefix can be slow
constexpr DWORD kPreviewLifeMs = 180000;   // a preview host that is never told to stop ends anyway
constexpr DWORD kSaverExitMs = 30000;      // a preview saver must end once its window is gone

int Usage() {
  std::fprintf(stderr,
               "usage: saver_e2e_helper data FOLDER LEVEL WIDEST-ROW [LISTED-LEVEL...]\n"
               "       saver_e2e_helper run SCR ARG...\n"
               "       saver_e2e_helper desktop\n"
               "       saver_e2e_helper clipboard OUT\n"
               "       saver_e2e_helper preview SCR STOPFILE {WxH+X+Y | desktop}...\n"
               "       saver_e2e_helper dialog ACTION...\n"
               "       saver_e2e_helper power {display-off | display-on}\n"
               "       saver_e2e_helper monitors\n");
  return 2;
}

// ---- data: a landscape data set, plus node files that only add levels to the level list -------

constexpr double kPi = 3.14159265358979323846;

// Angle in degrees between two points of the sphere.
double ArcDegrees(double lat1, double lon1, double lat2, double lon2) {
  const double r = kPi / 180.0;
  const double c =
      std::sin(lat1 * r) * std::sin(lat2 * r) + std::cos(lat1 * r) * std::cos(lat2 * r) * std::cos((lon1 - lon2) * r);
  return std::acos(c > 1.0 ? 1.0 : c < -1.0 ? -1.0 : c) / r;
}

// 1 at the centre of a round feature, falling smoothly to 0 at its radius.
double Bump(double lat, double lon, double centreLat, double centreLon, double radius) {
  const double t = ArcDegrees(lat, lon, centreLat, centreLon) / radius;
  return t >= 1.0 ? 0.0 : (1.0 - t * t) * (1.0 - t * t);
}

// Small repeatable roughness, -1 to 1, so the relief shading has some grain.
double Grain(uint32_t row, uint32_t j) {
  uint32_t h = row * 2654435761u ^ (j + 0x9e3779b9u) * 2246822519u;
  h ^= h >> 15;
  h *= 2246822519u;
  h ^= h >> 13;
  return static_cast<double>(h & 0xffff) / 32767.5 - 1.0;
}

uint8_t Channel(double value) { return static_cast<uint8_t>(value < 0.0 ? 0.0 : value > 255.0 ? 255.0 : value); }

// The test set's node grid, stars, sun and clouds, with heights and colours replaced by a few
// large features the tests can see move and flood: two deep basins (the sea of the terraformed
// look comes in there; the larger one just above and left of the first view's centre), a
// volcano, a dark patch and polar caps. The first view looks at latitude 0, longitude 0, with the
// sun at longitude 330, to its left.
TestDataSet MakeLandscape(uint32_t level, uint32_t widestRow) {
  TestDataSet set = MakeTestDataSet(level, false);
  const uint32_t rows = static_cast<uint32_t>(set.counts.size());
  size_t total = 0;
  for (uint32_t i = 0; i < rows; ++i) {
    const double lat = -90.0 + 180.0 * i / (rows - 1);
    const long count = std::lround(widestRow * std::cos(lat * kPi / 180.0));
    set.counts[i] = i == 0 || i == rows - 1 || count < 1 ? 1 : static_cast<uint32_t>(count);
    total += set.counts[i];
  }
  set.areoid.resize(total);
  set.topo.resize(total);
  set.mars.resize(total);
  size_t n = 0;
  for (uint32_t i = 0; i < rows; ++i) {
    const double lat = -90.0 + 180.0 * i / (rows - 1);
    for (uint32_t j = 0; j < set.counts[i]; ++j, ++n) {
      double lon = 360.0 * j / set.counts[i];
      if (lon > 180.0) lon -= 360.0;
      const double basin = Bump(lat, lon, 25.0, -15.0, 35.0), crater = Bump(lat, lon, -40.0, 60.0, 20.0);
      const double topo = 1200.0 + 800.0 * std::sin(lon * kPi / 180.0 + 0.5) * std::cos(lat * kPi / 180.0) -
                          6500.0 * basin - 7000.0 * crater + 9000.0 * Bump(lat, lon, 15.0, 50.0, 6.0) +
                          120.0 * Grain(i, j);
      set.topo[n] = static_cast<int16_t>(topo);
      const double sinLat = std::sin(lat * kPi / 180.0);
      set.areoid[n] = static_cast<int16_t>(150.0 * (3.0 * sinLat * sinLat - 1.0));
      double shade = 1.0 - 0.45 * Bump(lat, lon, -15.0, 25.0, 22.0) - 0.15 * basin + 0.04 * Grain(j, i);
      if (lat < -30.0 && lat > -50.0) shade += 0.08;
      Colour colour{Channel(188.0 * shade), Channel(98.0 * shade), Channel(58.0 * shade), 255};
      if (lat > 78.0 || lat < -82.0) colour = Colour{235, 230, 225, 255};
      set.mars[n] = colour;
    }
  }
  return set;
}

// data FOLDER LEVEL WIDEST [LISTED...]: the landscape at LEVEL with WIDEST nodes in the equator's
// row, and node files alone for the LISTED levels.
int WriteData(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string folder = argv[0];
  const uint32_t level = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
  const uint32_t widest = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
  if (level < 1 || level > 32 || widest < 1 || widest > 360 * level) return Usage();
  CreateDirectoryA(folder.c_str(), nullptr);
  if (!WriteTestDataSet(folder, MakeLandscape(level, widest))) {
    std::fprintf(stderr, "data: cannot write the level-%u set into %s\n", level, folder.c_str());
    return 1;
  }
  // The settings dialog lists levels by their node files alone; these levels are never loaded.
  for (int i = 3; i < argc; ++i) {
    const uint32_t listed = static_cast<uint32_t>(std::strtoul(argv[i], nullptr, 10));
    const std::vector<uint32_t> counts(RowCountForLevel(listed), 1);
    const std::string name = folder + "\\nodes" + std::to_string(listed) + ".hex";
    if (!WriteFileBytes(name, counts.data(), counts.size() * sizeof(uint32_t))) {
      std::fprintf(stderr, "data: cannot write %s\n", name.c_str());
      return 1;
    }
  }
  return 0;
}

// ---- run: the saver's own exit status ----------------------------------------------------------

// Runs SCR with the given arguments and exits with its exit code, as a host sees it.
// NOTE: a Windows process that ends while another of its threads is inside the X server or Mesa
// may be finished off by Wine with SIGKILL, so the Unix status of "wine64 redsphere.scr" is not
// always the exit code the program gave; GetExitCodeProcess is.
int RunSaver(int argc, char** argv) {
  if (argc < 1) return Usage();
  std::string commandLine = std::string("\"") + argv[0] + "\"";
  for (int i = 1; i < argc; ++i) commandLine += std::string(" ") + argv[i];
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(stderr, "run: cannot start %s\n", commandLine.c_str());
    return 100;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 100;
  GetExitCodeProcess(process.hProcess, &code);
  // The exit status keeps only the low byte; the log gets the whole code (a crash's, for one).
  std::fprintf(stderr, "run: exit code 0x%08lx\n", code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return static_cast<int>(code);
}

// ---- desktop: where F2 puts its files -----------------------------------------------------------

int PrintDesktop() {
  char folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, folder)) || !folder[0]) return 1;
  std::printf("%s\n", folder);
  return 0;
}

// ---- clipboard: the CF_DIB exactly as the saver left it -------------------------------------------

// Writes the CF_DIB's bytes unchanged to OUT and prints their count; 3 when there is no CF_DIB.
int SaveClipboardDib(int argc, char** argv) {
  if (argc < 1) return Usage();
  // Another process may hold the clipboard for a moment.
  bool open = false;
  for (int attempt = 0; attempt < 50 && !open; ++attempt) {
    open = OpenClipboard(nullptr) != FALSE;
    if (!open) Sleep(kPollMs);
  }
  if (!open) {
    std::fprintf(stderr, "clipboard: cannot open it\n");
    return 1;
  }
  int status = 3;
  if (HANDLE data = GetClipboardData(CF_DIB)) {
    const SIZE_T size = GlobalSize(data);
    const void* bytes = GlobalLock(data);
    if (bytes && WriteFileBytes(argv[0], bytes, size)) {
      std::printf("dib %llu\n", static_cast<unsigned long long>(size));
      status = 0;
    } else {
      status = 1;
    }
    if (bytes) GlobalUnlock(data);
  }
  CloseClipboard();
  return status;
}

// ---- preview: host windows for "/p <handle>" -------------------------------------------------------

struct PreviewHost {
  int width, height, x, y;
  HWND window;
  bool desktop;  // the desktop window: not ours to destroy
  PROCESS_INFORMATION saver;
  HWND child;
};

// A colour the saver never paints, so a preview that leaves the host unpainted shows.
const COLORREF kHostColour = RGB(255, 0, 255);
const char kHostClass[] = "RedsphereE2EPreviewHost";

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// Waits for a process while this thread keeps answering messages: the saver's child window sends
// its parent messages (WM_PARENTNOTIFY, focus changes) and waits for the answers.
bool WaitPumping(HANDLE process, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= milliseconds) return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    const DWORD result = MsgWaitForMultipleObjects(1, &process, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0) return true;
    PumpMessages();
  }
}

// One host window a rectangle argument asks for ("WxH+X+Y"), or the desktop's for "desktop";
// false with *badArgument set when the argument is neither.
bool MakePreviewHost(const char* argument, HINSTANCE instance, PreviewHost* host, bool* badArgument) {
  *host = PreviewHost{};
  *badArgument = false;
  if (std::strcmp(argument, "desktop") == 0) {
    // NOTE: Wine draws a window only into X windows of its own process, so a preview child of
    // another process's window never reaches the screen there. A child of the desktop window
    // is a window of the saver's own; it fills the whole screen.
    host->window = GetDesktopWindow();
    RECT screen;
    GetClientRect(host->window, &screen);
    host->width = screen.right;
    host->height = screen.bottom;
    host->desktop = true;
    return true;
  }
  if (std::sscanf(argument, "%dx%d+%d+%d", &host->width, &host->height, &host->x, &host->y) != 4) {
    *badArgument = true;
    return false;
  }
  // A borderless popup: its client area is exactly the rectangle asked for.
  host->window = CreateWindowExA(WS_EX_TOOLWINDOW, kHostClass, "preview host", WS_POPUP | WS_VISIBLE, host->x, host->y,
                                 host->width, host->height, nullptr, nullptr, instance, nullptr);
  if (!host->window) return false;
  UpdateWindow(host->window);
  return true;
}

// Starts a saver in preview mode on each host; false when one cannot be started.
bool StartPreviewSavers(const std::string& saverPath, std::vector<PreviewHost>& hosts) {
  for (size_t i = 0; i < hosts.size(); ++i) {
    PreviewHost& host = hosts[i];
    // Hosts write the handle after a space or a colon; every other saver gets the colon.
    std::string commandLine = "\"" + saverPath + "\" /p" + (i % 2 ? ":" : " ") +
                              std::to_string(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(host.window)));
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &host.saver)) {
      std::fprintf(stderr, "preview: cannot start %s\n", commandLine.c_str());
      return false;
    }
    std::printf("host %u %d %d %d %d\n", static_cast<unsigned>(i), host.x, host.y, host.width, host.height);
  }
  std::fflush(stdout);
  return true;
}

// Reports each saver's child window as it appears, until told to stop.
void ReportPreviewChildren(const std::string& stopFile, std::vector<PreviewHost>& hosts) {
  const DWORD start = GetTickCount();
  while (GetFileAttributesA(stopFile.c_str()) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < kPreviewLifeMs) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
    PumpMessages();
    for (size_t i = 0; i < hosts.size(); ++i) {
      PreviewHost& host = hosts[i];
      if (host.child) continue;
      // Reported once shown: the window is visible only after its WM_CREATE has returned.
      HWND child = FindWindowExA(host.window, nullptr, "WindowsScreenSaverClass", nullptr);
      if (!child || !IsWindowVisible(child)) continue;
      host.child = child;
      RECT client;
      GetClientRect(child, &client);
      std::printf("child %u %ld %ld\n", static_cast<unsigned>(i), client.right, client.bottom);
      std::fflush(stdout);
    }
  }
}

// Ends the previews as the display settings do and reports each saver's exit; false when one
// failed or had to be ended.
bool EndPreviews(std::vector<PreviewHost>& hosts) {
  // The display settings end a preview by destroying the window it draws into; a preview on the
  // desktop is closed instead.
  for (PreviewHost& host : hosts) {
    if (!host.desktop) DestroyWindow(host.window);
    else if (host.child) PostMessageA(host.child, WM_CLOSE, 0, 0);
  }
  bool ended = true;
  for (size_t i = 0; i < hosts.size(); ++i) {
    PreviewHost& host = hosts[i];
    if (!host.saver.hProcess) continue;
    if (WaitPumping(host.saver.hProcess, kSaverExitMs)) {
      DWORD code = 0;
      GetExitCodeProcess(host.saver.hProcess, &code);
      std::printf("saver %u exit %lu\n", static_cast<unsigned>(i), code);
      if (code != 0) ended = false;
    } else {
      std::printf("saver %u still running\n", static_cast<unsigned>(i));
      TerminateProcess(host.saver.hProcess, 99);
      ended = false;
    }
    CloseHandle(host.saver.hProcess);
    CloseHandle(host.saver.hThread);
  }
  std::fflush(stdout);
  return ended;
}

int HostPreviews(int argc, char** argv) {
  if (argc < 3) return Usage();
  const std::string saverPath = argv[0];
  const std::string stopFile = argv[1];
  WNDCLASSA hostClass = {};
  hostClass.lpfnWndProc = DefWindowProcA;
  hostClass.hInstance = GetModuleHandleA(nullptr);
  hostClass.hbrBackground = CreateSolidBrush(kHostColour);
  hostClass.lpszClassName = kHostClass;
  if (!RegisterClassA(&hostClass)) return 1;

  std::vector<PreviewHost> hosts;
  for (int i = 2; i < argc; ++i) {
    PreviewHost host;
    bool badArgument = false;
    if (!MakePreviewHost(argv[i], hostClass.hInstance, &host, &badArgument)) return badArgument ? Usage() : 1;
    hosts.push_back(host);
  }
  PumpMessages();
  const bool started = StartPreviewSavers(saverPath, hosts);
  if (started) ReportPreviewChildren(stopFile, hosts);
  const bool ended = EndPreviews(hosts);
  return started && ended ? 0 : 1;
}

// ---- dialog: the settings dialog seen and pressed from outside --------------------------------------

struct Control {
  int id;
  const char* name;
  enum Kind { Button, Trackbar, Combo, Text } kind;
};

const Control kControls[] = {
    {IDC_MANUAL, "manual", Control::Button},         {IDC_AUTOMATIC, "automatic", Control::Button},
    {IDC_TERRA_NO, "terra_no", Control::Button},     {IDC_TERRA_ONCE, "terra_once", Control::Button},
    {IDC_TERRA_PERIODIC, "terra_periodic", Control::Button},
    {IDC_SHADOWS, "shadows", Control::Button},       {IDC_ATMOSPHERE, "atmosphere", Control::Button},
    {IDC_CLOUDS, "clouds", Control::Button},         {IDC_SUNPOS, "sunpos", Control::Trackbar},
    {IDC_PERIOD, "period", Control::Trackbar},       {IDC_RELIEF, "relief", Control::Trackbar},
    {IDC_RESOLUTION, "resolution", Control::Combo},  {IDC_DATA_STATUS, "data_status", Control::Text},
    {IDC_MONITORS_EACH, "monitors_each", Control::Button}, {IDC_MONITORS_SPAN, "monitors_span", Control::Button},
    {IDC_MONITORS_PRIMARY, "monitors_primary", Control::Button}, {IDC_TOUR, "tour", Control::Button},
    {IDC_SUNPOS_NOW, "sunpos_now", Control::Button},
};

// Messages to the dialog's process; a hung dialog fails the step instead of hanging the test.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* ok = nullptr) {
  DWORD_PTR result = 0;
  const bool answered = SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result) != 0;
  if (ok) *ok = answered;
  return static_cast<LRESULT>(result);
}

// One line: "state key=value ..." for every control the tests look at.
void DumpDialog(HWND dialog) {
  std::string line = "state";
  for (const Control& control : kControls) {
    HWND item = GetDlgItem(dialog, control.id);
    const std::string key = std::string(" ") + control.name;
    if (!item) {
      line += key + ".missing=1";
      continue;
    }
    line += key + ".enabled=" + (IsWindowEnabled(item) ? "1" : "0");
    switch (control.kind) {
      case Control::Button:
        line += key + ".checked=" + std::to_string(Send(item, BM_GETCHECK, 0, 0));
        break;
      case Control::Trackbar:
        line += key + ".pos=" + std::to_string(Send(item, TBM_GETPOS, 0, 0));
        line += key + ".min=" + std::to_string(Send(item, TBM_GETRANGEMIN, 0, 0));
        line += key + ".max=" + std::to_string(Send(item, TBM_GETRANGEMAX, 0, 0));
        break;
      case Control::Text: {
        // Spaces become '_' so that the state line stays one field per value.
        wchar_t text[512] = {};
        DWORD_PTR length = 0;
        SendMessageTimeoutW(item, WM_GETTEXT, sizeof text / sizeof text[0], reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 10000, &length);
        std::string value;
        for (const wchar_t* c = text; *c; ++c) value += *c == L' ' ? '_' : static_cast<char>(*c < 128 ? *c : '?');
        line += key + ".text=" + (value.empty() ? "-" : value);
        break;
      }
      case Control::Combo: {
        const LRESULT count = Send(item, CB_GETCOUNT, 0, 0);
        line += key + ".count=" + std::to_string(count);
        line += key + ".sel=" + std::to_string(Send(item, CB_GETCURSEL, 0, 0));
        std::string items;
        for (LRESULT i = 0; i < count; ++i) {
          // NOTE: Wine hands the ANSI form of this message to another process cut to its first
          // character; the wide form comes over whole.
          wchar_t text[64] = {};
          DWORD_PTR length = 0;
          if (SendMessageTimeoutW(item, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 10000, &length) &&
              length < sizeof text / sizeof text[0])
            SendMessageTimeoutW(item, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 10000, &length);
          if (i) items += ',';
          for (const wchar_t* c = text; *c; ++c) items += static_cast<char>(*c < 128 ? *c : '?');
        }
        line += key + ".items=" + (items.empty() ? "-" : items);
        break;
      }
    }
  }
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

// The id of a control by its name in the state lines; 0 when there is none.
int ControlId(const std::string& name) {
  for (const Control& control : kControls)
    if (name == control.name) return control.id;
  return 0;
}

// Clicks a button as the mouse would: the dialog gets the button's BN_CLICKED.
bool Click(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return false;
  bool ok = false;
  Send(item, BM_CLICK, 0, 0, &ok);
  return ok;
}

// Actions: dump, rect (prints "rect X Y W H", the client area on the screen), click:NAME,
// pos:NAME:N (moves a trackbar), sel:N (picks a resolution), ok, cancel, close (the title bar's
// close box), with the control names of the state lines. The dialog is looked for by its title first.
int DriveDialog(int argc, char** argv) {
  HWND dialog = nullptr;
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < kFindDialogMs) {
    dialog = FindWindowA(nullptr, "Redsphere Settings");
    if (dialog && IsWindowVisible(dialog)) break;
    dialog = nullptr;
    Sleep(kPollMs);
  }
  if (!dialog) {
    std::fprintf(stderr, "dialog: no window titled \"Redsphere Settings\"\n");
    return 3;
  }
  char className[64] = {};
  GetClassNameA(dialog, className, sizeof className);
  std::printf("dialog class=%s\n", className);
  for (int i = 0; i < argc; ++i) {
    const std::string action = argv[i];
    const size_t colon = action.find(':'), second = action.find(':', colon + 1);
    const std::string verb = action.substr(0, colon);
    const int id = colon == std::string::npos ? 0 : ControlId(action.substr(colon + 1, second - colon - 1));
    const int value = second == std::string::npos ? 0 : std::atoi(action.c_str() + second + 1);
    bool ok = true;
    if (action == "dump") {
      DumpDialog(dialog);
    } else if (action == "rect") {
      RECT client = {};
      POINT origin = {0, 0};
      ok = GetClientRect(dialog, &client) && ClientToScreen(dialog, &origin);
      std::printf("rect %ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
      std::fflush(stdout);
    } else if (verb == "click" && id) {
      ok = Click(dialog, id);
    } else if (verb == "pos" && id && second != std::string::npos) {
      Send(GetDlgItem(dialog, id), TBM_SETPOS, TRUE, value, &ok);
    } else if (verb == "sel" && colon != std::string::npos) {
      const int item = std::atoi(action.c_str() + colon + 1);
      Send(GetDlgItem(dialog, IDC_RESOLUTION), CB_SETCURSEL, item, 0, &ok);
    } else if (action == "ok") {
      ok = Click(dialog, IDOK);
    } else if (action == "cancel") {
      ok = Click(dialog, IDCANCEL);
    } else if (action == "close") {
      ok = PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) != 0;
    } else {
      return Usage();
    }
    if (!ok) {
      std::fprintf(stderr, "dialog: %s failed\n", action.c_str());
      return 1;
    }
  }
  return 0;
}

// ---- power: the system's display-state notice, sent to the running saver ---------------------

// Windows sends PBT_POWERSETTINGCHANGE with a POWERBROADCAST_SETTING in the receiver's memory;
// the notice is made the same way here: the record written into the saver's process, then sent.
int SendDisplayState(int argc, char** argv) {
  if (argc != 1) return Usage();
  const DWORD state = std::strcmp(argv[0], "display-on") == 0 ? 1 : 0;
  const HWND saver = FindWindowW(L"WindowsScreenSaverClass", nullptr);
  DWORD processId = 0;
  if (!saver || !GetWindowThreadProcessId(saver, &processId)) {
    std::fprintf(stderr, "no saver window\n");
    return 1;
  }
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  POWERBROADCAST_SETTING setting{GUID_CONSOLE_DISPLAY_STATE, sizeof(DWORD), {}};
  void* remote = process ? VirtualAllocEx(process, nullptr, sizeof setting + sizeof state, MEM_COMMIT, PAGE_READWRITE)
                         : nullptr;
  const bool written = remote && WriteProcessMemory(process, remote, &setting, sizeof setting, nullptr) &&
                       WriteProcessMemory(process, static_cast<char*>(remote) + offsetof(POWERBROADCAST_SETTING, Data),
                                          &state, sizeof state, nullptr);
  DWORD_PTR answer = 0;
  const bool sent = written && SendMessageTimeoutW(saver, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                                                   reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 10000, &answer);
  if (process) CloseHandle(process);
  std::printf("power %s: %s\n", argv[0], sent ? "sent" : "failed");
  return sent ? 0 : 1;
}

// ---- monitors: the layout and the DPI as a per-monitor-aware program sees them -------------------

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    std::printf("monitor %ld %ld %ld %ld%s\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                info.dwFlags & MONITORINFOF_PRIMARY ? " primary" : "");
  }
  return TRUE;
}

// Prints "monitors N" (SM_CMONITORS), "virtual X Y W H", one "monitor X Y W H [primary]" line
// each, "dpi N" (the system's) and, while a saver runs, "saver X Y W H" (its window).
int PrintMonitors() {
  // Physical pixels, as the saver (per-monitor aware by its manifest) sees them.
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  std::printf("monitors %d\n", GetSystemMetrics(SM_CMONITORS));
  std::printf("virtual %d %d %d %d\n", GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
              GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
  EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
  std::printf("dpi %u\n", GetDpiForSystem());
  RECT r;
  if (const HWND saver = FindWindowW(L"WindowsScreenSaverClass", nullptr); saver && GetWindowRect(saver, &r)) {
    std::printf("saver %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "data") return WriteData(argc - 2, argv + 2);
  if (command == "run") return RunSaver(argc - 2, argv + 2);
  if (command == "desktop") return PrintDesktop();
  if (command == "clipboard") return SaveClipboardDib(argc - 2, argv + 2);
  if (command == "preview") return HostPreviews(argc - 2, argv + 2);
  if (command == "dialog") return DriveDialog(argc - 2, argv + 2);
  if (command == "power") return SendDisplayState(argc - 2, argv + 2);
  if (command == "monitors") return PrintMonitors();
  return Usage();
}
