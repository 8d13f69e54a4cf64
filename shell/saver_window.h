// The saver window's portable half: its state record, the base GL state, the loading and ready
// frames with their pacing, and the key and mouse handlers. The Windows window procedure and the
// Linux program only turn their messages and events into calls of these.
#pragma once

#include <cstdint>
#include <thread>

#include "camera/landmarks.h"
#include "camera/map_ground.h"
#include "camera/tour.h"
#include "mapdata/map_data.h"
#include "mapdata/run_config.h"
#include "render/quality_governor.h"
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

// Frames and the time they took since a count was last taken.
struct FrameCount {
  int32_t frames;
  double seconds;
};
// Frames counted for the frame-rate display: the rate shown (over the last second) and the one
// reported (over the last five seconds).
struct FrameRateMeter {
  FrameCount display;
  FrameCount report;
  double shown;  // frames per second; 0 until the first second has passed
};
constexpr double kFrameRateReportSeconds = 5.0;

// A landmark's caption as the overlay font draws it (code page 1252 bytes).
struct TourCaption {
  char title[kLandmarkNameSize];
  char facts[kLandmarkCaptionSize];
};
using TourCaptions = TourCaption[kMaxLandmarks];

// One process-wide record owned by the window thread; the loader thread writes only `map`, and
// only until it raises map.loaded.
struct SaverWindow {
  RunConfig config;         // the run's configuration, resolved once by SaverConfigure at creation
  int32_t width;            // client size in pixels; starts 1, set at creation and on every resize
  int32_t height;
  int32_t clientLeft;       // the client area's top-left corner in desktop pixels (SaverResize, SaverMove)
  int32_t clientTop;
  MonitorList monitors;     // the desktop's monitors, from the shell at creation and on every change
  bool spansMonitors;       // the window may cross monitors (full screen, a host's window): a view per monitor
  ViewLayout layout;        // this frame's views, laid out from the fields above at the start of each frame
  double refreshRate;       // display refresh in Hz; 60 unless the display reports a real rate
  double frameRateCap;      // most frames a second: kMaxFramesPerSecond, on battery kBatteryFramesPerSecond
  float aspect;             // width / height, recomputed every ready frame
  float fieldOfView;        // vertical, degrees: the base, widened for portrait windows (FieldOfViewFor)
  bool ready;               // GL resources and the initial view exist; never goes back
  float graceSeconds;       // time since the scene became ready, counted up to 60
  double dt;                // the previous frame's interval in seconds (0 on the first ready frame)
  double workSeconds;       // how much of it the frame took before pacing waited
  QualityGovernor quality;  // adaptive quality, when the run has it
  FrameRateMeter frameRate;  // counted every ready frame; shown when the run has the setting
  int64_t lastCounter;      // counter at the end of the previous frame's pacing
  int64_t counterFrequency;
  int32_t cursorCentreX;    // screen point where manual control parks the cursor
  int32_t cursorCentreY;
  bool fileShotWanted;      // F2 went down since the last frame: a numbered file of the next one
  bool copyShotWanted;      // Print Screen came up since the last frame: the next one to the clipboard
  std::thread loader;       // the loader thread, joined at destruction
  MapData map;              // the run's map: the loader's until map.loaded is seen, then read-only (the GL set-up frees its images)
  LandmarkTable landmarks;  // the tour's places, parsed at configuration when the run is a tour
  TourCaptions captions;    // their names and facts in the overlay font's codes, made with them
  TourState tour;           // the guided tour's flight, started when the scene is ready
  MapGround ground;         // the loaded map's surface the tour keeps clear of
};

extern SaverWindow gSaverWindow;

constexpr double kDefaultRefreshRate = 60.0;
constexpr float kMouseGraceSeconds = 1.0f;  // the flyby ignores the mouse this long after the start
// Mouse movement of up to this many pixels from the start position is jitter, not a user: it does
// not end a full-screen run (the Windows screensaver host and the Linux full-screen mode).
constexpr int kMouseJitter = 4;

// The frame's perspective: aspect, vertical field of view (the run's rule, FieldOfViewFor) and
// clipping planes hugging the globe. A zero width or height becomes 1 (stored back).
struct FrameProjection {
  float aspect, fieldOfView, nearPlane, farPlane;
};
FrameProjection ComputeProjection(const RunConfig& config, int32_t& width, int32_t& height, float cameraDistance,
                                  float relief, float topHeight);

// The frame rate over the last kFrameRateReportSeconds when that much has passed since the last
// report (the Linux program prints it), else false. Window thread.
bool TakeFrameRateReport(double* framesPerSecond);

// A refresh rate of 0 or 1 is the display's "hardware default": keep 60 Hz.
void SetRefreshRate(double hertz);
// A frame takes two refresh intervals, but never less than 1/60 s: a screensaver gains nothing
// from 120 frames a second on a 240 Hz display and would spend the power.
constexpr double kMaxFramesPerSecond = 60.0;
constexpr double kBatteryFramesPerSecond = 30.0;  // a laptop on battery: half the frames, half the power
double FrameInterval(double refreshRate, double frameRateCap = kMaxFramesPerSecond);
// The shells' power news: on battery the frame rate is capped at kBatteryFramesPerSecond.
void SaverSetOnBattery(bool onBattery);
// The shell drew no frames for a while (the displays were off, the window hidden): the next
// frame's interval starts now, so the pause is neither flown through nor taken for a slow frame.
void SaverResume();
// Waits until FrameInterval has passed since the previous frame's end, sets dt to the whole
// interval and starts the next one. The frame step calls it last.
void PaceFrame();
// Resolves the run's configuration (gSaverWindow.config) from the settings, the capabilities
// SetBaseGlState read and the levels of the settings' data folder. Creation, context current.
void SaverConfigure(const SaverSettings& settings);
// Starts the loader thread with the run's request. Creation, after "Loading..." is in both buffers.
void StartLoader();
// One frame (everything but the swap): the loading frame until the data is loaded, then ready
// frames, paced to two refresh intervals. hasFocus: the window has the keyboard focus (manual
// control polls the mouse only then). Window thread.
void SaverFrame(bool hasFocus);
// The loading picture: the window cleared and "Loading..." on every view. The shells draw it into
// both buffers at creation; the loading frames draw it each time.
void SaverDrawLoading();
// Joins the loader, releases GL resources, map data and overlay images. Before the context goes.
void SaverDestroy();
// The threads' part of SaverDestroy: joins the loader (once loading has finished) and stops and
// joins the mesh worker, without a GL call, for an end that has lost its context's display.
void SaverStopThreads();

// The screenshots F2 and Print Screen asked for since the last frame, read from the back buffer,
// which holds the frame just drawn until the swap (after it, what the back buffer holds is the
// driver's choice). SaverFrame calls it before its pacing; window thread, context current.
void SaverTakeScreenshots();

// Key handlers and the mouse poll; false means "not handled": the saver's default ends it. The
// screenshot keys only ask for a screenshot: the next frame takes it.
bool SaverKeyDown(int32_t key);
bool SaverKeyUp(int32_t key);
void SaverPollMouse();
// A resize: stores the client size; manual mode re-centres the parked cursor (clientToScreenX/Y
// give the client origin in screen coordinates).
void SaverResize(int32_t width, int32_t height, int32_t clientOriginX, int32_t clientOriginY);
// A move of the window: the parked cursor's centre follows the client area, without warping the
// cursor (the user may be dragging the window).
void SaverMove(int32_t clientOriginX, int32_t clientOriginY);
// The desktop's monitors, read by the shell when the window is made and again whenever the
// display layout changes. spansMonitors: the window may cross monitors and gets a view per
// monitor (the run's "Monitors" choice); an ordinary window shows one view.
void SaverSetMonitors(const MonitorList& monitors, bool spansMonitors);
// Whether a mouse move may end the flyby: only once the first second of the scene has passed.
bool MouseMayEndFlyby();
