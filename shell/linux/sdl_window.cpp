// The saver window of the Linux program: SDL2's window (or an X window of someone else's), its
// context, and the loop that turns SDL's events into the saver core's calls (shell/saver_core.h).
#include "shell/linux/sdl_window.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "mapdata/map_data.h"
#include "platform/failure_report.h"
#include "platform/platform.h"
#include "render/fixed_function_back_end.h"
#include "settings/saver_settings.h"
#include "shell/linux/foreign_window.h"
#include "shell/linux/frame_files.h"
#include "shell/linux/key_map.h"
#include "shell/linux/linux_platform.h"
#include "shell/linux/load_progress.h"
#include "shell/linux/monitors_linux.h"
#include "shell/linux/power_linux.h"
#include "shell/linux/private_display.h"
#include "shell/linux/run_end.h"
#include "shell/saver_core.h"
#include "shell/screenshot.h"

namespace {

constexpr int32_t kDefaultWindowWidth = 1024, kDefaultWindowHeight = 768;
constexpr int32_t kDefaultFrameWidth = 1280, kDefaultFrameHeight = 720;
constexpr int32_t kWheelDelta = 120;    // one wheel notch, as Windows reports it
constexpr uint32_t kSkippedFrames = 1;  // --frames: the first ready frame draws the mesh slot no build has filled
constexpr int64_t kNanosecondsPerSecond = 1000000000;
constexpr int kConnectAttempts = 5;
constexpr int32_t kConnectRetryMilliseconds = 50;
// DPMS and the power source send no events: they are asked this often, also while nothing is drawn.
constexpr uint32_t kPowerCheckMilliseconds = 1000;

// Main-thread state of the Linux shell besides the saver core; written by creation and
// the event loop, read by nothing else.
struct LinuxWindow {
  RunMode mode;            // from the command line, fixed for the run
  SDL_Window* window;      // ours, or SDL's wrapper of a foreign window
  SDL_GLContext context;   // current on the main thread for the whole run
  ForeignWindow foreign;   // ForeignWindow mode: our own connection, to follow its size
  PrivateDisplay display;  // Frames mode without DISPLAY: the Xvfb we started
  bool quit;               // the loop ends after this frame
  bool failed;             // a picture of --frames could not be written, or an X error: exit status 1
  bool hadFocus;           // Fullscreen: the focus was ours once, so losing it ends the run
  int32_t startCursorX;    // Fullscreen: where the cursor was at creation
  int32_t startCursorY;
  uint32_t framesToWrite;           // Frames mode: --frames N
  uint32_t framesWritten;           // Frames mode: files written so far
  uint32_t readyFrames;             // ready frames drawn so far
  std::vector<uint8_t> framePixels;  // Frames mode: the frame read back, kept from picture to picture
  std::filesystem::path outFolder;  // Frames mode: --out, made absolute so the lines that name it name it in full
  void* xDisplay;                   // the window's X connection (Display*), for DPMS
  bool hidden;                      // the window is minimised or unmapped
  bool displaysOff;                 // the X server put the displays to sleep (DPMS)
  uint32_t powerCheckedAt;          // SDL_GetTicks of the last power check; 0 before the first
  bool whenGiven;                   // --when: the run's clock starts at whenMillis, not now
  int64_t whenMillis;
};
LinuxWindow gLinux{};

void Fail(const std::string& what) { ReportFailure("%s", what.c_str()); }

// NOTE: an X server can reset a connection made just as another client's goes away (Xvfb does
// so a few times in a hundred); a short wait and another try gets through.
bool StartVideo() {
  for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
    if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
    PlatformSleepMilliseconds(kConnectRetryMilliseconds);
  }
  return false;
}

void SetContextAttributes(bool multisample) {
  // A compatibility context with the pixel format the Windows build asks for: the renderer uses
  // the fixed-function pipeline.
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, multisample ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, multisample ? 4 : 0);
}

// Full screen covers every monitor: one display takes the desktop's full-screen state; several
// get one borderless window over all of them (a window manager's full screen is one monitor's).
SDL_Window* MakeFullScreenWindow() {
  const int displays = SDL_GetNumVideoDisplays();
  SDL_Rect all{0, 0, 0, 0};
  for (int i = 0; i < displays; ++i) {
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(i, &bounds) == 0) SDL_UnionRect(&all, &bounds, &all);
  }
  if (displays < 2 || SDL_RectEmpty(&all))
    return SDL_CreateWindow("Redsphere", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kDefaultWindowWidth,
                            kDefaultWindowHeight, SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN_DESKTOP);
  return SDL_CreateWindow("Redsphere", all.x, all.y, all.w, all.h,
                          SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP);
}

SDL_Window* MakeWindow(const LinuxOptions& options) {
  LinuxWindow& shell = gLinux;
  switch (shell.mode) {
    case RunMode::Window: {
      int32_t width = options.width ? options.width : kDefaultWindowWidth;
      int32_t height = options.height ? options.height : kDefaultWindowHeight;
      SDL_Rect usable;
      // Without --size the window fits on the screen.
      if (!options.width && SDL_GetDisplayUsableBounds(0, &usable) == 0 && usable.w > 0 && usable.h > 0) {
        if (width > usable.w) width = usable.w;
        if (height > usable.h) height = usable.h;
      }
      return SDL_CreateWindow("Redsphere", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE);
    }
    case RunMode::Fullscreen:
      return MakeFullScreenWindow();
    case RunMode::ForeignWindow:
      return SDL_CreateWindowFrom(reinterpret_cast<const void*>(static_cast<uintptr_t>(shell.foreign.window)));
    case RunMode::Frames:
      return SDL_CreateWindow("Redsphere", 0, 0, options.width ? options.width : kDefaultFrameWidth,
                              options.height ? options.height : kDefaultFrameHeight,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    case RunMode::PrintSky:  // printed before the program makes any window
      return nullptr;
  }
  return nullptr;
}

// The window and a current context: first with 4-sample multisampling, as the Windows build
// prefers, then without it when the display has no such visual.
bool MakeWindowAndContext(const LinuxOptions& options) {
  LinuxWindow& shell = gLinux;
  // A foreign window keeps the visual its owner chose; SDL makes the context for that visual.
  const int attempts = shell.mode == RunMode::ForeignWindow ? 1 : 2;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    SetContextAttributes(attempt == 0 && shell.mode != RunMode::ForeignWindow);
    shell.window = MakeWindow(options);
    if (!shell.window) continue;
    shell.context = SDL_GL_CreateContext(shell.window);
    if (shell.context) return true;
    // SDL_DestroyWindow on a foreign window leaves the X window alone.
    SDL_DestroyWindow(shell.window);
    shell.window = nullptr;
  }
  Fail(std::string("no OpenGL window: ") + SDL_GetError());
  return false;
}

// Client size and origin in screen coordinates, as WM_SIZE and ClientToScreen give them; false
// when a foreign window's size cannot be read.
bool ClientRect(WindowRect* client) {
  LinuxWindow& shell = gLinux;
  int width = 0, height = 0, x = 0, y = 0;
  if (shell.mode == RunMode::ForeignWindow) {
    if (!ForeignWindowSize(shell.foreign, &width, &height)) return false;
    x = shell.foreign.left;
    y = shell.foreign.top;
  } else {
    SDL_GL_GetDrawableSize(shell.window, &width, &height);
    SDL_GetWindowPosition(shell.window, &x, &y);
  }
  *client = WindowRect{x, y, width, height};
  return true;
}

void ReportSize() {
  WindowRect client;
  if (ClientRect(&client)) SaverResize(client.width, client.height, client.left, client.top);
}

// The I/O error handler's end of a run (see run_end.h): no X or OpenGL call is possible any more.
int EndWithoutDisplay() {
  LinuxWindow& shell = gLinux;
  SaverStopThreads();
  StopPrivateDisplay(shell.display);
  if (shell.mode != RunMode::Frames || shell.framesWritten == shell.framesToWrite) return 0;
  Fail("the X display went away before the last frame was written");
  return 1;
}

// --frames: the picture folder, and a private Xvfb when there is no display to draw on.
bool PrepareFrames(const LinuxOptions& options) {
  LinuxWindow& shell = gLinux;
  shell.framesToWrite = options.frameCount;
  shell.outFolder = std::filesystem::absolute(options.outFolder);
  std::error_code error;
  std::filesystem::create_directories(shell.outFolder, error);
  if (!std::filesystem::is_directory(shell.outFolder)) {
    Fail("cannot make the folder " + shell.outFolder.string());
    return false;
  }
  const char* display = std::getenv("DISPLAY");
  std::string why;
  if ((!display || !display[0]) &&
      !StartPrivateDisplay(options.width ? options.width : kDefaultFrameWidth,
                           options.height ? options.height : kDefaultFrameHeight, shell.display, &why)) {
    Fail("no display to render on: " + why);
    return false;
  }
  return true;
}

// SDL on X11, and the foreign window when one is named.
bool OpenDisplay(const LinuxOptions& options) {
  LinuxWindow& shell = gLinux;
  // NOTE: Debian's GLEW resolves its entry points through GLX, so the program always talks X11
  // (XWayland on a Wayland desktop).
  SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
  SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (!StartVideo()) {
    Fail(std::string("cannot open the display: ") + SDL_GetError());
    return false;
  }
  if (shell.mode != RunMode::ForeignWindow) return true;
  std::string why;
  if (OpenForeignWindow(options.foreignWindow, shell.foreign, &why)) return true;
  Fail(why);
  return false;
}

// The window, its context with GLEW's entry points, and the pointer display for the cursor calls.
bool MakeGlWindow(const LinuxOptions& options) {
  LinuxWindow& shell = gLinux;
  if (!MakeWindowAndContext(options)) return false;
  SDL_SysWMinfo system;
  SDL_VERSION(&system.version);
  if (SDL_GetWindowWMInfo(shell.window, &system) && system.subsystem == SDL_SYSWM_X11) {
    UsePointerDisplay(system.info.x11.display);
    shell.xDisplay = system.info.x11.display;
  }
  glewExperimental = GL_TRUE;
  if (glewInit() == GLEW_OK) return true;
  Fail("the OpenGL context has no usable extensions (glewInit failed)");
  return false;
}

// Pacing: --frames by its own clock, everything else by the display's refresh rate.
void SetUpPacing() {
  LinuxWindow& shell = gLinux;
  // --frames paces by its own clock at the starting 60 Hz: 30 pictures per second of flight.
  if (shell.mode == RunMode::Frames) {
    UseSteppedClock();
    SDL_GL_SetSwapInterval(0);
    return;
  }
  SDL_DisplayMode mode;
  const int displayIndex = SDL_GetWindowDisplayIndex(shell.window);
  if (SDL_GetCurrentDisplayMode(displayIndex < 0 ? 0 : displayIndex, &mode) == 0) SaverSetRefreshRate(mode.refresh_rate);
  // Two vertical retraces per swap: the frame rate the pacing aims at. Not every driver takes 2.
  if (SDL_GL_SetSwapInterval(2) != 0) SDL_GL_SetSwapInterval(1);
}

// The monitors the views are laid out over. Pictures (--frames) are one view at scale 1 whatever
// the private server reports; full screen and a host's window may cross monitors.
bool SpansMonitors() { return gLinux.mode == RunMode::Fullscreen || gLinux.mode == RunMode::ForeignWindow; }

void ReadDesktop() {
  const LinuxWindow& shell = gLinux;
  if (shell.mode == RunMode::Frames) return;
  SaverSetMonitors(ReadMonitors(shell.xDisplay), SpansMonitors());
}

void SwapWindow(void*) { SDL_GL_SwapWindow(gLinux.window); }

// The saver core's start on this window.
bool StartCore() {
  const LinuxWindow& shell = gLinux;
  SaverHost host{&FixedFunctionBackEnd(), OverlayHandles{nullptr, nullptr}, SwapWindow, nullptr,
                 WindowRect{0, 0, 0, 0}, MonitorList{}, false, LoadProgressStart, false, shell.whenGiven,
                 shell.whenMillis};
  ClientRect(&host.client);
  if (shell.mode != RunMode::Frames) {
    host.monitors = ReadMonitors(shell.xDisplay);
    host.spansMonitors = SpansMonitors();
  }
  return SaverStart(gSaverSettings, host);
}

bool CreateSaver(const LinuxOptions& options) {
  LinuxWindow& shell = gLinux;
  shell.mode = options.mode;
  shell.whenGiven = options.whenGiven;
  shell.whenMillis = options.whenMillis;
  // Before SDL starts: SDL then keeps its own SIGINT and SIGTERM handlers out and hands X errors on.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  WatchRunEnds(EndWithoutDisplay);
  if (shell.mode == RunMode::Frames && !PrepareFrames(options)) return false;
  if (!OpenDisplay(options) || !MakeGlWindow(options)) return false;
  SetUpPacing();
  if (shell.mode == RunMode::Fullscreen) {
    SDL_ShowCursor(SDL_DISABLE);
    SDL_RaiseWindow(shell.window);
    SDL_SetWindowInputFocus(shell.window);
    PlatformGetCursor(&shell.startCursorX, &shell.startCursorY);
  }

  return StartCore();
}

void DestroySaver() {
  LinuxWindow& shell = gLinux;
  // Without a context nothing of the scene was made (and the loader never started).
  if (shell.context) SaverDestroy();
  if (shell.context) SDL_GL_DeleteContext(shell.context);
  UsePointerDisplay(nullptr);
  if (shell.window) SDL_DestroyWindow(shell.window);
  shell.context = nullptr;
  shell.window = nullptr;
  CloseForeignWindow(shell.foreign);
  SDL_Quit();
  StopPrivateDisplay(shell.display);
}

// What DefScreenSaverProc does with input the saver left to it: in full screen every key, button,
// mouse movement away from the start and loss of the focus ends the run. A window ends only on
// Esc (or its close button); a foreign window belongs to its owner, who ends the run itself.
enum class DefaultInput { Key, Button, Motion, FocusLost };

void DefaultAction(DefaultInput input, int32_t key) {
  LinuxWindow& shell = gLinux;
  switch (shell.mode) {
    case RunMode::Fullscreen:
      if (input == DefaultInput::Motion) {
        int32_t x = 0, y = 0;
        PlatformGetCursor(&x, &y);
        if (std::abs(x - shell.startCursorX) <= kMouseJitter && std::abs(y - shell.startCursorY) <= kMouseJitter)
          return;
      }
      if (input == DefaultInput::FocusLost && !shell.hadFocus) return;
      shell.quit = true;
      return;
    case RunMode::Window:
      if (input == DefaultInput::Key && key == kKeyEscape) shell.quit = true;
      return;
    case RunMode::ForeignWindow:
    case RunMode::Frames:
    case RunMode::PrintSky:
      return;
  }
}

SaverButton ButtonFromSdl(uint8_t button) {
  if (button == SDL_BUTTON_LEFT) return SaverButton::Left;
  return button == SDL_BUTTON_RIGHT ? SaverButton::Right : SaverButton::Middle;
}

void WindowEvent(const SDL_WindowEvent& event) {
  LinuxWindow& shell = gLinux;
  switch (event.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (shell.mode != RunMode::ForeignWindow) ReportSize();
      break;
    case SDL_WINDOWEVENT_MOVED:
      // The parked cursor's centre moves along with the window, but the cursor is not pulled away
      // from a user who is dragging the window.
      if (shell.mode != RunMode::ForeignWindow) SaverMove(event.data1, event.data2);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      shell.hadFocus = true;
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      DefaultAction(DefaultInput::FocusLost, 0);
      break;
    case SDL_WINDOWEVENT_CLOSE:
      shell.quit = true;
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
      shell.hidden = true;
      break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
      shell.hidden = false;
      break;
    default:
      break;
  }
}

void Dispatch(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:  // the window manager's close (signals are the program's own, see run_end.h)
      gLinux.quit = true;
      return;
    case SDL_WINDOWEVENT:
      WindowEvent(event.window);
      return;
    case SDL_KEYDOWN: {
      const SDL_Keysym& key = event.key.keysym;
      const int32_t code = VirtualKeyFromSdl(key.sym, key.mod);
      if (!IsSystemKey(key.sym, key.mod) && SaverKeyDown(code)) return;
      DefaultAction(DefaultInput::Key, code);
      return;
    }
    case SDL_KEYUP:
      SaverKeyUp(VirtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.mod));
      return;
    case SDL_MOUSEMOTION:
      if (!SaverMouseMoved()) DefaultAction(DefaultInput::Motion, 0);
      return;
    case SDL_MOUSEBUTTONDOWN:
      if (!SaverButtonDown(ButtonFromSdl(event.button.button))) DefaultAction(DefaultInput::Button, 0);
      return;
    case SDL_MOUSEWHEEL: {
      const int32_t notches = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
      SaverWheel(notches * kWheelDelta);
      return;
    }
    default:
      return;
  }
}

// The mouse is polled only while the window has the keyboard focus, as on Windows; a window on a
// desktop also needs the pointer over it, or the parked cursor would pull it back from elsewhere.
bool HasFocus() {
  const LinuxWindow& shell = gLinux;
  if (shell.mode == RunMode::ForeignWindow || shell.mode == RunMode::Frames) return false;
  const Uint32 flags = SDL_GetWindowFlags(shell.window);
  if ((flags & SDL_WINDOW_INPUT_FOCUS) == 0) return false;
  return shell.mode == RunMode::Fullscreen || (flags & SDL_WINDOW_MOUSE_FOCUS) != 0;
}

// Writes this ready frame when --frames wants it; ends the run after the last.
void WriteFrame() {
  LinuxWindow& shell = gLinux;
  const uint32_t index = shell.readyFrames++;
  if (index < kSkippedFrames) return;
  const std::filesystem::path path = shell.outFolder / FrameFileName(shell.framesWritten + 1);
  std::string why;
  const WindowPlace& place = gSaverCore.place;
  std::vector<uint8_t>& bgr = shell.framePixels;
  bgr.resize(BmpImageSize(place.width, place.height));
  FramePixels pixels{place.width, place.height, bgr.data()};
  if (!SaverReadFrame(pixels)) why = "the frame cannot be read back";
  if (!why.empty() || !WriteFramePng(path.string(), bgr.data(), place.width, place.height, &why)) {
    Fail("cannot write " + path.string() + ": " + why);
    shell.failed = shell.quit = true;
    return;
  }
  if (++shell.framesWritten == shell.framesToWrite) shell.quit = true;
}

// A foreign window's owner may resize it at any time (a preview pane, a screen change), and ends
// the run by destroying it (XScreenSaver does so as it signals the hack).
void FollowForeignWindow() {
  LinuxWindow& shell = gLinux;
  int32_t width = 0, height = 0;
  if (!ForeignWindowSize(shell.foreign, &width, &height)) {
    shell.quit = true;
    return;
  }
  const WindowPlace& place = gSaverCore.place;
  if (width != place.width || height != place.height || shell.foreign.left != place.left ||
      shell.foreign.top != place.top)
    SaverResize(width, height, shell.foreign.left, shell.foreign.top);
}

// Ends after a signal, the foreign window's end, or an X error. A window that has gone explains
// the errors of drawing into it; any other error ends the run with status 1 and one line.
void CheckRunEnds() {
  LinuxWindow& shell = gLinux;
  if (EndSignalled()) shell.quit = true;
  if (shell.mode == RunMode::ForeignWindow) FollowForeignWindow();
  char error[200];
  if (!TakeXError(error, sizeof error)) return;
  if (shell.mode == RunMode::ForeignWindow && shell.foreign.gone) return;
  Fail(error);
  shell.failed = shell.quit = true;
}

// Whether nobody could see a frame now: the window minimised or unmapped, or the displays asleep.
// Pictures (--frames) are always drawn.
bool FramesUnseen() {
  const LinuxWindow& shell = gLinux;
  return shell.mode != RunMode::Frames && (shell.hidden || shell.displaysOff);
}

// DPMS, the power source and the monitors, at most once every kPowerCheckMilliseconds: none of
// them sends SDL an event for every window (a host's window gets no display events).
void CheckPower() {
  LinuxWindow& shell = gLinux;
  if (shell.mode == RunMode::Frames) return;  // pictures keep their own steady clock
  const uint32_t now = SDL_GetTicks();
  if (shell.powerCheckedAt != 0 && now - shell.powerCheckedAt < kPowerCheckMilliseconds) return;
  shell.powerCheckedAt = now;
  shell.displaysOff = DisplaysOff(shell.xDisplay);
  SaverSetOnBattery(OnBatteryIn("/sys/class/power_supply"));
  ReadDesktop();
}

// While nobody could see a frame: blocks on the window's events (for a second at most, as DPMS
// has none), then asks again. The next frame's interval starts when drawing does.
void WaitUnseen() {
  SDL_Event event;
  if (SDL_WaitEventTimeout(&event, static_cast<int>(kPowerCheckMilliseconds))) Dispatch(event);
  CheckRunEnds();
  CheckPower();
  if (!FramesUnseen()) SaverResume();
}

// Every five seconds, as XScreenSaver's hacks do with -fps.
void PrintFrameRate() {
  double rate = 0.0;
  if (!SaverTakeFrameRateReport(&rate)) return;
  std::printf("redsphere: %.1f frames per second\n", rate);
  std::fflush(stdout);
}

void RunLoop() {
  LinuxWindow& shell = gLinux;
  const SaverCore& saver = gSaverCore;
  const int64_t frameStep = static_cast<int64_t>(FrameInterval(saver.pacing.refreshRate) * kNanosecondsPerSecond);
  while (!shell.quit) {
    CheckPower();
    if (FramesUnseen()) {
      WaitUnseen();
      continue;
    }
    if (shell.mode == RunMode::Frames) AdvanceSteppedClock(frameStep);
    const bool wasReady = saver.ready;
    SaverFrame(HasFocus());
    if (wasReady && shell.mode == RunMode::Frames) WriteFrame();
    if (saver.config.showFrameRate) PrintFrameRate();
    // F2 and Print Screen only ask for a picture; the next frame takes it from the back buffer
    // before its swap (SaverTakeScreenshots).
    SDL_Event event;
    while (SDL_PollEvent(&event)) Dispatch(event);
    SDL_GL_SwapWindow(shell.window);
    CheckRunEnds();
    if (!wasReady && saver.ready) LoadProgressEnd();
    if (!saver.ready) {
      LoadProgressUpdate();
      // Loading frames are not paced by the saver core; a frame's interval keeps them from
      // taking a core away from the loader.
      PlatformSleepMilliseconds(static_cast<int32_t>(1000.0 * FrameInterval(saver.pacing.refreshRate)));
    }
  }
}

}  // namespace

int RunSaverWindow(const LinuxOptions& options) {
  const bool created = CreateSaver(options);
  if (created) RunLoop();
  DestroySaver();
  if (created && !gLinux.failed && gLinux.mode == RunMode::Frames)
    std::printf("redsphere: %u frames in %s\n", gLinux.framesWritten, gLinux.outFolder.string().c_str());
  return created && !gLinux.failed ? 0 : 1;
}
