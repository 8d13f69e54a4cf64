// The saver core: everything the Windows screensaver and the Linux program share, with no platform
// and no graphics API in it. Its start-up sequence, the loader thread, the loading and ready frames
// with their pacing, frame-rate meter, adaptive quality, screenshots and tour, and the input
// handlers. A shell makes the window and the context and turns its messages or events into the
// calls below; the frames are drawn by the back end the shell hands over (render/back_end.h).
#pragma once

#include <cstdint>
#include <thread>

#include "camera/camera_state.h"
#include "camera/control_step.h"
#include "camera/flyby.h"
#include "camera/landmarks.h"
#include "camera/map_ground.h"
#include "camera/terraform.h"
#include "camera/tour.h"
#include "mapdata/map_data.h"
#include "settings/run_config.h"
#include "render/back_end.h"
#include "render/quality_governor.h"
#include "settings/saver_settings.h"
#include "shell/frame_pacing.h"
#include "shell/monitor_views.h"

// Virtual-key codes of the keys the saver knows (Windows' codes; the Linux shell maps to them).
enum SaverKey : int32_t {
  kKeyCtrl = 17, kKeyEscape = 27, kKeySpace = 32, kKeyPageUp = 33, kKeyPageDown = 34, kKeyEnd = 35,
  kKeyHome = 36, kKeyLeft = 37, kKeyUp = 38, kKeyRight = 39, kKeyDown = 40, kKeySnapshot = 44,
  kKey0 = 48, kKey9 = 57, kKeyI = 73, kKeyJ = 74, kKeyK = 75, kKeyL = 76, kKeyPad0 = 96, kKeyPad2 = 98,
  kKeyPad3 = 99, kKeyPad4 = 100, kKeyPad6 = 102, kKeyPad8 = 104, kKeyPad9 = 105, kKeyAdd = 107,
  kKeySubtract = 109, kKeyF1 = 112, kKeyF2 = 113, kKeyOemPlus = 187, kKeyOemComma = 188,
  kKeyOemMinus = 189, kKeyOemPeriod = 190,
};

enum class SaverButton { Left, Right, Middle };

// A landmark's caption as the overlay font draws it (code page 1252 bytes). A landing site's
// (its caption tells when something "landed" there) adds its local solar time as the run's clock
// has it, and the sol of a mission that counts them.
struct TourCaption {
  char title[kLandmarkNameSize];
  char facts[kLandmarkCaptionSize];
  bool landingSite;
  float longitude;             // east, degrees: the site's local time
  const MarsMission* mission;  // null, or the mission whose sols the caption counts
};

// The guided tour of a run: its places, their captions, the flight and the ground it keeps clear of.
struct TourRun {
  LandmarkTable landmarks;             // parsed at start-up when the run is a tour
  TourCaption captions[kMaxLandmarks]; // their names and facts in the overlay font's codes
  char liveFacts[kLandmarkCaptionSize + 48];  // this frame's facts of a landing site, with its clock
  TourState flight;                    // started when the scene is ready
  MapGround ground;                    // the loaded map's surface at the relief last requested
};

// The window as the core sees it: its client area on the desktop, the monitors and this frame's
// views over them.
struct WindowPlace {
  int32_t width, height;       // client size in pixels; starts 1, set at creation and on every resize
  int32_t left, top;           // the client area's top-left corner in desktop pixels
  MonitorList monitors;        // the desktop's monitors, from the shell at creation and on every change
  bool spansMonitors;          // the window may cross monitors (full screen, a host's window): a view per monitor
  ViewLayout layout;           // this frame's views, laid out at the start of each frame
};

// What input asked for that is not a camera command: the parked cursor of manual control and the
// screenshots the next frame takes.
struct InputRequests {
  int32_t cursorCentreX;  // screen point where manual control parks the cursor
  int32_t cursorCentreY;
  bool fileShotWanted;    // F2 went down since the last frame: a numbered file of the next one
  bool copyShotWanted;    // Print Screen came up since the last frame: the next one to the clipboard
};

// The moment a run shows: the UTC moment of its first ready frame and the performance counter
// then. A frame shows that moment plus the counter's time since, so the stepped clock of a
// picture sequence gives the same pictures on every machine.
struct RunClock {
  bool given;             // the shell chose the start moment (--when); otherwise the calendar's now
  int64_t startMillis;    // UTC milliseconds since 1970 at the first ready frame
  int64_t startCounter;   // PlatformCounter() then
};

// One process-wide record owned by the window thread; the loader thread fills `map` and then
// raises map.loaded (release), and the window thread reads it only once it has seen the flag.
struct SaverCore {
  RunConfig config;                // resolved once at start-up; never changed afterwards
  const RenderBackEnd* backEnd;    // the shell's choice, from start-up on
  WindowPlace place;               // the window, the monitors and this frame's views
  FramePacing pacing;              // the frame interval and the previous frame's times
  FrameRateMeter frameRate;        // counted every ready frame; shown when the run has the setting
  QualityGovernor quality;         // adaptive quality: whether shadows are drawn and the triangle limits
  CameraState cameras;             // the camera, heading, start pose and sun
  InputState input;                // the control commands keys, buttons, the wheel and the flyby set
  InputRequests requests;          // the parked cursor and the screenshots asked for
  TerraformState terraform;        // the terraformed look's target, schedule and level
  AutoState flyby;                 // the flyby's memory of the last frame
  TourRun tour;                    // the guided tour, when the run is one
  MapData map;                     // the loaded level: the loader thread's until map.loaded is seen
  std::thread loader;              // the loader thread, joined at destruction
  LoadRequest loadRequest;         // what the loader reads, kept for a shell that loads on its own thread
  bool ready;                      // the scene and the initial view exist; never goes back
  float graceSeconds;              // time since the scene became ready, counted up to 60
  RunClock clock;                  // the moment each frame shows, for a run on the Mars clock
};

extern SaverCore gSaverCore;

constexpr float kMouseGraceSeconds = 1.0f;  // the flyby ignores the mouse this long after the start
// Mouse movement of up to this many pixels from the start position is jitter, not a user: it does
// not end a full-screen run (the Windows screensaver host and the Linux full-screen mode).
constexpr int kMouseJitter = 4;

// What a shell hands the core at start-up: the back end, the platform handles its overlays are
// made from, how to show a finished frame (the swap of the shell's window), and the window's
// client area and the desktop's monitors as they are at creation.
struct SaverHost {
  const RenderBackEnd* backEnd;
  OverlayHandles overlays;
  void (*swap)(void* context);
  void* swapContext;
  WindowRect client;           // client size, and its top-left corner in desktop pixels
  MonitorList monitors;
  bool spansMonitors;          // as SaverSetMonitors takes it
  void (*loaderStarting)(const LoadRequest& request);  // null, or told what the loader reads just before it starts
  // The platform runs one thread (a web page without cross-origin isolation): no loader thread
  // (the shell fetches the files loaderStarting names, then calls SaverLoadNow) and no mesh thread
  // (each build runs on the window thread when it is requested).
  bool singleThread;
  bool clockGiven;             // the run shows clockMillis onwards (UTC ms since 1970), not the calendar's now
  int64_t clockMillis;
};

// The start-up sequence, once the shell's window and context exist: the back end's context state,
// the run's configuration (from the settings, what the back end offers and the data folder's
// levels), the window's place (manual control parks the cursor in its middle), "Loading..." in
// both buffers, then the loader thread. False, with one failure line, when the overlays cannot be
// made.
bool SaverStart(const SaverSettings& settings, const SaverHost& host);
// For a single-thread host: loads the map data on the calling thread once the shell has the files
// in place, as the loader thread would, with the cloud image only when `withClouds` (a page shows
// the globe before the clouds' file has come). False after the loader's failure line: the shell
// keeps the line on show and draws no more frames (a page has no process to end).
bool SaverLoadNow(bool withClouds);
// After SaverLoadNow(false): the cloud image into the core's map, when the run draws clouds, for
// the shell to hand to its back end. False after the loader's failure line; the globe goes on
// without clouds.
bool SaverLoadClouds();
// One frame (everything but the swap): the loading frame until the data is loaded, then ready
// frames, paced to two refresh intervals. hasFocus: the window has the keyboard focus (manual
// control polls the mouse only then).
void SaverFrame(bool hasFocus);
// Joins the loader, releases the scene, the map data and the overlays. Before the context goes.
void SaverDestroy();
// The threads' part of SaverDestroy: joins the loader (once loading has finished) and stops and
// joins the mesh worker, without a graphics call, for an end that has lost its context's display.
void SaverStopThreads();

// Input. False means "not handled": the shell's default then ends the saver (in full screen). The
// screenshot keys only ask for a screenshot: the next frame takes it.
bool SaverKeyDown(int32_t key);
bool SaverKeyUp(int32_t key);
bool SaverButtonDown(SaverButton button);
// A wheel turn in Windows' units (120 a notch, positive away from the user); handled in manual control.
bool SaverWheel(int32_t delta);
// The mouse moved: true when the saver takes it (manual control, or the first second of the
// flyby), false when it is a user's move that ends the saver.
bool SaverMouseMoved();
// The manual mouse poll of each ready frame (also a test's way in).
void SaverPollMouse();

// The window and the desktop. A resize stores the client size and origin; manual control
// re-centres the parked cursor. A move: the parked cursor's centre follows the client area,
// without warping the cursor (the user may be dragging the window).
void SaverResize(int32_t width, int32_t height, int32_t clientOriginX, int32_t clientOriginY);
void SaverMove(int32_t clientOriginX, int32_t clientOriginY);
// The desktop's monitors, read by the shell when the window is made and again whenever the
// display layout changes. spansMonitors: the window may cross monitors and gets a view per
// monitor (the run's "Monitors" choice); an ordinary window shows one view.
void SaverSetMonitors(const MonitorList& monitors, bool spansMonitors);
// The display's refresh rate in Hz (0 or 1: the hardware default, 60 Hz is kept).
void SaverSetRefreshRate(double hertz);
// Power news: on battery the frame rate is capped at kBatteryFramesPerSecond.
void SaverSetOnBattery(bool onBattery);
// The shell drew no frames for a while (the displays were off, the window hidden): the next
// frame's interval starts now, so the pause is neither flown through nor taken for a slow frame.
void SaverResume();
// The frame rate over the last five seconds when that much has passed since the last report (the
// Linux program prints it), else false.
bool SaverTakeFrameRateReport(double* framesPerSecond);
// The frame just drawn, read back by the back end before the swap (bottom-up rows of blue, green,
// red, each padded to 4 bytes) into pixels.bgr, which holds BmpImageSize(width, height) bytes.
// False when it cannot be read.
bool SaverReadFrame(FramePixels& pixels);
// The screenshots F2 and Print Screen asked for since the last frame, read from the back buffer,
// which holds the frame just drawn until the swap. SaverFrame takes them before its pacing.
void SaverTakeScreenshots();
