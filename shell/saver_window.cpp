// The saver window's portable half: base GL state, loading and ready frames with their pacing,
// and the key and mouse handlers that turn input into control commands.
#include "shell/saver_window.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "camera/camera_state.h"
#include "camera/control_step.h"
#include "camera/flyby.h"
#include "camera/terraform.h"
#include "gl/gl_caps.h"
#include "gl/gl_setup.h"
#include "gl/overlays.h"
#include "mapdata/map_data.h"
#include "mesh/mesh_worker.h"
#include "platform/failure_report.h"
#include "platform/level_scan.h"
#include "platform/platform.h"
#include "render/frame.h"
#include "render/renderer.h"
#include "shell/screenshot.h"

SaverWindow gSaverWindow{{}, 1, 1, 0, 0, {}, false, {}, kDefaultRefreshRate, kMaxFramesPerSecond, 1.0f, kBaseFieldOfView, false, 0.0f, 0.0, 0.0, {}, {}, 0, 1, 0, 0,
                         false, false, {}, {}, {}, {}, {}, {}};

namespace {

constexpr float kGraceLimit = 60.0f;        // the grace time stops counting here
constexpr double kPacingSlack = 0.00002;    // seconds: a frame may end this much early
constexpr float kNearFactor = 0.6f;         // near plane at 60% of the distance to the top of the globe
constexpr float kFarFactor = 0.5f;          // far plane half a top radius behind the centre

bool Automatic() { return gSaverWindow.config.automatic; }

OverlayArea AreaOf(const MonitorView& view) { return OverlayArea{view.x, view.y, view.width, view.height, view.scale}; }

// The views of this frame, from the window's place and the monitors as the shell last read them.
void LayOutViews() {
  SaverWindow& window = gSaverWindow;
  window.layout = LayoutViews(window.config.monitors, window.monitors,
                              WindowRect{window.clientLeft, window.clientTop, window.width, window.height},
                              window.spansMonitors);
}

// Each view's viewport with the perspective of its shape (the run's field-of-view rule).
FrameViews FrameViewsOf(const ViewLayout& layout, const RunConfig& config) {
  FrameViews views{};
  views.count = layout.count;
  for (int32_t i = 0; i < layout.count; ++i) {
    const MonitorView& m = layout.views[i];
    FrameView& v = views.views[i];
    v = FrameView{m.x, m.y, m.width, m.height, 0.0f, 0.0f};
    v.aspect = static_cast<float>(m.width) / static_cast<float>(m.height > 0 ? m.height : 1);
    v.fieldOfView = FieldOfViewFor(config, v.aspect);
  }
  return views;
}

// The help picture shows on the monitor under the pointer, else the primary one.
void DrawHelpWherePointerIs(const ViewLayout& layout) {
  int32_t x = 0, y = 0;
  PlatformGetCursor(&x, &y);
  DrawHelpScreen(AreaOf(layout.views[ViewAt(layout, x, y)]));
}

TourTerrain GroundTerrain() { return TourTerrain{MapGroundHeight, &gSaverWindow.ground}; }

// The tour starts from the initial view; a table that holds no landmark leaves the flyby.
void StartGuidedTour() {
  SaverWindow& window = gSaverWindow;
  CameraState& cameras = gCameraState;
  window.ground = MapGround{&window.map, window.config.reliefFactor};
  if (StartTour(window.tour, window.landmarks, cameras.minDistance, GroundTerrain(), cameras.camera, cameras.sun)) return;
  window.config.tour = false;
  gInput.horizontalMove = 1;
}

// The caption of the landmark the tour circles, on every view at its scale.
void DrawTourCaption(const ViewLayout& layout) {
  const SaverWindow& window = gSaverWindow;
  const float opacity = TourCaptionOpacity(window.tour);
  if (opacity <= 0.0f) return;
  const TourCaption& caption = window.captions[window.tour.visiting];
  for (int32_t i = 0; i < layout.count; ++i) DrawCaption(AreaOf(layout.views[i]), caption.title, caption.facts, opacity);
}

// The tour's table and its captions in the font's codes, once for the run. False with the reason
// when the table built into the program is broken.
bool PrepareTour(SaverWindow& window, char* error, size_t errorSize) {
  if (!LoadBuiltInLandmarks(window.landmarks, error, errorSize)) return false;
  for (int32_t i = 0; i < window.landmarks.count; ++i) {
    const Landmark& place = window.landmarks.entries[i];
    TourCaption& caption = window.captions[i];
    if (!EncodeCodePage1252(place.name, std::strlen(place.name), caption.title, sizeof caption.title) ||
        !EncodeCodePage1252(place.caption, std::strlen(place.caption), caption.facts, sizeof caption.facts)) {
      std::snprintf(error, errorSize, "the caption of %s does not fit the overlay font", place.name);
      return false;
    }
  }
  return true;
}

// The camera and sun of this frame: the tour flies them itself; the flyby and manual control
// set commands that ControlStep carries out.
void StepCamera(bool hasFocus, float dt) {
  SaverWindow& window = gSaverWindow;
  CameraState& cameras = gCameraState;
  if (window.config.tour) {
    window.ground.relief = gMeshWorker.currentRelief.load(std::memory_order_relaxed);
    TourStep(window.tour, dt, GroundTerrain(), cameras.camera, cameras.sun, cameras.spinAngle);
    return;
  }
  if (!Automatic()) {
    if (hasFocus) SaverPollMouse();
  } else {
    FlybyStep(cameras.camera, cameras.sun);
  }
  ControlStep(dt, PlatformCapsLockOn(), Automatic(), cameras.camera, cameras.heading, cameras.initialCamera, cameras.sun,
              cameras.spinAngle);
}

void LoadingFrame() {
  SaverWindow& window = gSaverWindow;
  SaverDrawLoading();
  SaverTakeScreenshots();
  if (!window.map.loaded.load(std::memory_order_acquire)) return;
  InitRenderer(window.config, window.map, window.width, window.height);
  window.quality = StartQualityGovernor(window.config.shadows);
  SetupInitialView(window.config, window.map.ppd, static_cast<float>(window.width), static_cast<float>(window.height));
  window.counterFrequency = PlatformCounterFrequency();
  window.lastCounter = PlatformCounter();
  if (window.config.tour) StartGuidedTour();
  else if (Automatic()) gInput.horizontalMove = 1;  // the flyby orbits to the right for the whole run
  window.ready = true;
}

// Loads the perspective that encloses every view (the mesh is built for it) and the camera view.
void SetProjectionAndView(const FrameViews& views) {
  SaverWindow& window = gSaverWindow;
  const CameraPose& camera = gCameraState.camera;
  const FrameProjection projection =
      ComputeProjection(window.config, window.width, window.height, camera.point.distance,
                        gMeshWorker.currentRelief.load(std::memory_order_relaxed), gCameraState.topHeight);
  const FrameView enclosing = EnclosingView(views);
  window.aspect = enclosing.aspect;
  window.fieldOfView = enclosing.fieldOfView;
  glViewport(0, 0, window.width, window.height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluPerspective(enclosing.fieldOfView, enclosing.aspect, projection.nearPlane, projection.farPlane);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  const SpherePoint& p = camera.point;
  gluLookAt(p.x, p.y, p.z, p.x + kLookAtDistance * camera.forward.x, p.y + kLookAtDistance * camera.forward.y,
            p.z + kLookAtDistance * camera.forward.z, camera.up.x, camera.up.y, camera.up.z);
  const SpherePoint& sun = gCameraState.sun;
  const GLfloat light[4] = {sun.x, sun.y, sun.z, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
}

// The rate over a count of at least `seconds`, which starts the count afresh; false before then.
bool TakeRate(FrameCount& count, double seconds, double* framesPerSecond) {
  if (count.seconds < seconds) return false;
  *framesPerSecond = count.frames / count.seconds;
  count = FrameCount{};
  return true;
}

void CountFrame(FrameRateMeter& meter, double seconds) {
  for (FrameCount* count : {&meter.display, &meter.report}) {
    ++count->frames;
    count->seconds += seconds;
  }
  TakeRate(meter.display, 1.0, &meter.shown);
}

// One line a step, with the figures that made it.
void ReportQualityStep(QualityChange change, const QualityGovernor& governor, double measured, double interval) {
  const QualityLevel level = QualityAt(governor, governor.level);
  ReportFailure("frames take %.1f ms for a %.1f ms interval: quality %s to %d of %d (shadows %s, triangle limits 1/%u)",
                1000.0 * measured, 1000.0 * interval, change == QualityChange::Up ? "up" : "down",
                FloorLevel(governor) - governor.level, FloorLevel(governor), level.shadows ? "on" : "off",
                1u << level.limitShift);
}

// Steps quality down while frames run clearly late and back up after a stretch with headroom.
void AdaptQuality() {
  SaverWindow& window = gSaverWindow;
  const double interval = FrameInterval(window.refreshRate, window.frameRateCap);
  const double measured = window.quality.measured;
  const QualityChange change = ObserveFrame(window.quality, window.workSeconds, window.dt, interval);
  if (change == QualityChange::Kept) return;
  ApplyQualityLevel(QualityAt(window.quality, window.quality.level));
  ReportQualityStep(change, window.quality, measured, interval);
}

void ReadyFrame(bool hasFocus) {
  SaverWindow& window = gSaverWindow;
  CameraState& cameras = gCameraState;
  const float dt = static_cast<float>(window.dt);
  TerraformSchedule(window.config, dt);
  StepCamera(hasFocus, dt);
  LayOutViews();
  const ViewLayout& layout = window.layout;
  const FrameViews views = FrameViewsOf(layout, window.config);
  SetProjectionAndView(views);
  RenderFrame(window.width, window.height, window.fieldOfView, window.aspect, dt, cameras.spinAngle, cameras.camera,
              cameras.sun, views);
  if (window.graceSeconds < kGraceLimit) window.graceSeconds += dt;
  if (window.config.tour) DrawTourCaption(layout);
  if (gInput.helpShown) DrawHelpWherePointerIs(layout);
  if (window.config.showFrameRate) DrawFrameRate(AreaOf(layout.views[layout.primary]), window.frameRate.shown);
  SaverTakeScreenshots();
  PaceFrame();
  CountFrame(window.frameRate, window.dt);
  if (window.config.adaptQuality) AdaptQuality();
}

void StopCommands(int32_t& a, int32_t& b) { a = b = 0; }

}  // namespace

FrameProjection ComputeProjection(const RunConfig& config, int32_t& width, int32_t& height, float cameraDistance,
                                  float relief, float topHeight) {
  if (height == 0) height = 1;
  if (width == 0) width = 1;
  FrameProjection p;
  p.aspect = static_cast<float>(width) / static_cast<float>(height);
  p.fieldOfView = FieldOfViewFor(config, p.aspect);
  // From just above the highest point of the globe to behind its centre.
  const float top = kReferenceRadius + relief * topHeight;
  p.nearPlane = static_cast<float>((cameraDistance - top) * kNearFactor);
  if (p.nearPlane < 1.0f) p.nearPlane = 1.0f;
  p.farPlane = cameraDistance + kFarFactor * top;
  return p;
}

// The wait sleeps while more than a couple of milliseconds remain and spins on the counter only
// for the last one: the timing is the counter's, but the saver does not burn a core while it waits.
void PaceFrame() {
  SaverWindow& window = gSaverWindow;
  const double interval = FrameInterval(window.refreshRate, window.frameRateCap);
  const double frequency = static_cast<double>(window.counterFrequency);
  int64_t counter = PlatformCounter();
  window.workSeconds = static_cast<double>(counter - window.lastCounter) / frequency;
  for (;; counter = PlatformCounter()) {
    window.dt = static_cast<double>(counter - window.lastCounter) / frequency;
    const double remaining = interval - (window.dt + kPacingSlack);
    if (remaining <= 0.0) break;
    if (remaining > 0.002) PlatformSleepMilliseconds(static_cast<int32_t>(remaining * 1000.0) - 1);
  }
  window.lastCounter = counter;
}

bool TakeFrameRateReport(double* framesPerSecond) {
  return TakeRate(gSaverWindow.frameRate.report, kFrameRateReportSeconds, framesPerSecond);
}

double FrameInterval(double refreshRate, double frameRateCap) {
  return std::max(2.0 / refreshRate, 1.0 / frameRateCap);
}

void SaverSetOnBattery(bool onBattery) {
  gSaverWindow.frameRateCap = onBattery ? kBatteryFramesPerSecond : kMaxFramesPerSecond;
}

void SaverResume() { gSaverWindow.lastCounter = PlatformCounter(); }

void SetRefreshRate(double hertz) {
  if (hertz > 1.0) gSaverWindow.refreshRate = hertz;
}

void SaverConfigure(const SaverSettings& settings) {
  int32_t levels[kLevelListCapacity];
  const int32_t count = ScanLevelsIn(settings.DataPath, levels, kLevelListCapacity);
  RunConfig& config = gSaverWindow.config;
  config = ResolveRunConfig(settings, GlRunLimits(), levels, count);
  char error[kLandmarkErrorSize];
  if (config.tour && !PrepareTour(gSaverWindow, error, sizeof error)) {
    ReportFailure("the tour's landmark table is broken (%s): the flyby is shown instead", error);
    config.tour = false;
  }
}

void StartLoader() {
  // The request is taken here, on the window thread; the loader reads nothing else and writes only
  // the window's map.
  MapData& map = gSaverWindow.map;
  gSaverWindow.loader = std::thread([request = LoadRequestFor(gSaverWindow.config), &map] {
    LoaderThreadMain(request, map);
  });
}

void SaverFrame(bool hasFocus) {
  if (gSaverWindow.ready) ReadyFrame(hasFocus);
  else LoadingFrame();
}

void SaverStopThreads() {
  // A saver ended while loading closes only once loading has finished.
  if (gSaverWindow.loader.joinable()) gSaverWindow.loader.join();
  StopMeshWorker();
}

void SaverDestroy() {
  SaverStopThreads();
  ShutdownRenderer();
  FreeMapData(gSaverWindow.map);
  FreeOverlayImages();
}

void SaverTakeScreenshots() {
  SaverWindow& window = gSaverWindow;
  if (window.fileShotWanted) {
    window.fileShotWanted = false;
    char desktop[kDataPathSize] = {};
    if (PlatformDesktopFolder(desktop, sizeof desktop)) SaveNumberedScreenshot(desktop, window.width, window.height);
  }
  if (window.copyShotWanted) {
    window.copyShotWanted = false;
    PlatformCopyFrame(window.width, window.height);
  }
}

bool SaverKeyDown(int32_t key) {
  InputState& input = gInput;
  if (key == kKeySnapshot) return true;
  if (Automatic()) return false;
  if (key < kKeyCtrl || key > kKeyOemPeriod) return false;
  const bool ctrl = input.ctrlHeld;
  if ((key >= kKey0 && key <= kKey9) || (key >= kKeyPad0 && key <= kKeyPad0 + 9)) {
    const int digit = key >= kKeyPad0 ? key - kKeyPad0 : key - kKey0;
    input.reliefTarget = digit == 0 ? kMaxRelief : static_cast<float>(digit);
    input.relief = 0;
    return true;
  }
  switch (key) {
    case kKeyCtrl: input.ctrlHeld = true; return true;
    case kKeyEscape:
      if (!input.helpShown) return false;
      input.helpShown = false;
      return true;
    case kKeySpace: ToggleTerraformTarget(); return true;
    case kKeyPageUp: input.zoom = ctrl ? 0 : -1; input.roll = ctrl ? 1 : 0; return true;
    case kKeyPageDown: input.zoom = ctrl ? 0 : 1; input.roll = ctrl ? -1 : 0; return true;
    case kKeyEnd: input.cancelRotationRequest = true; return true;
    case kKeyHome: input.resetRequest = true; return true;
    case kKeyLeft: input.horizontalMove = ctrl ? 0 : -1; input.yaw = ctrl ? 1 : 0; return true;
    case kKeyUp: input.verticalMove = ctrl ? 0 : 1; input.pitch = ctrl ? 1 : 0; return true;
    case kKeyRight: input.horizontalMove = ctrl ? 0 : 1; input.yaw = ctrl ? -1 : 0; return true;
    case kKeyDown: input.verticalMove = ctrl ? 0 : -1; input.pitch = ctrl ? -1 : 0; return true;
    case kKeyI: input.pitch = 1; return true;
    case kKeyJ: input.yaw = 1; return true;
    case kKeyK: input.pitch = -1; return true;
    case kKeyL: input.yaw = -1; return true;
    case kKeyAdd: case kKeyOemPlus: input.relief = 1; return true;
    case kKeySubtract: case kKeyOemMinus: input.relief = -1; return true;
    case kKeyF1: input.helpShown = true; return true;
    case kKeyF2: gSaverWindow.fileShotWanted = true; return true;
    case kKeyOemComma: input.roll = 1; return true;
    case kKeyOemPeriod: input.roll = -1; return true;
    default: return false;
  }
}

bool SaverKeyUp(int32_t key) {
  InputState& input = gInput;
  if (key == kKeySnapshot) {
    gSaverWindow.copyShotWanted = true;
    return true;
  }
  if (Automatic()) return false;
  switch (key) {
    case kKeyCtrl: input.ctrlHeld = false; return true;
    // Keypad keys stop the motion of the navigation key at the same place on the pad.
    case kKeyPageUp: case kKeyPageDown: case kKeyPad3: case kKeyPad9: StopCommands(input.zoom, input.roll); return true;
    case kKeyLeft: case kKeyRight: case kKeyPad4: case kKeyPad6: StopCommands(input.horizontalMove, input.yaw); return true;
    case kKeyUp: case kKeyDown: case kKeyPad2: case kKeyPad8: StopCommands(input.verticalMove, input.pitch); return true;
    case kKeyI: case kKeyK: input.pitch = 0; return true;
    case kKeyJ: case kKeyL: input.yaw = 0; return true;
    case kKeyAdd: case kKeySubtract: case kKeyOemPlus: case kKeyOemMinus: input.relief = 0; return true;
    case kKeyOemComma: case kKeyOemPeriod: input.roll = 0; return true;
    default: return false;
  }
}

void SaverPollMouse() {
  InputState& input = gInput;
  const SaverWindow& window = gSaverWindow;
  int32_t x = 0, y = 0;
  PlatformGetCursor(&x, &y);
  const int32_t dx = x - window.cursorCentreX, dy = y - window.cursorCentreY;
  const bool ctrl = input.ctrlHeld;
  auto countUp = [](int32_t& count) {
    if (count < kMaxMotionCount) ++count;
  };
  auto stopHorizontal = [&] {
    if (input.horizontalCount != 0) input.horizontalCount = input.horizontalMove = input.yaw = 0;
  };
  auto stopVertical = [&] {
    if (input.verticalCount != 0) input.verticalCount = input.verticalMove = input.pitch = 0;
  };
  if ((dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy)) {
    if (dx != 0) {
      const int32_t sign = dx > 0 ? 1 : -1;
      input.yaw = ctrl ? -sign : 0;
      input.horizontalMove = ctrl ? 0 : sign;
      countUp(input.horizontalCount);
    } else {
      stopHorizontal();
    }
    if (dy == 0) stopVertical();
  } else {
    // The cursor going down (dy > 0) moves or looks down.
    const int32_t sign = dy > 0 ? -1 : 1;
    input.pitch = ctrl ? sign : 0;
    input.verticalMove = ctrl ? 0 : sign;
    countUp(input.verticalCount);
    if (dx == 0) stopHorizontal();
  }
  if (dx != 0 || dy != 0) PlatformSetCursor(window.cursorCentreX, window.cursorCentreY);

  if (input.wheelDelta != 0) {
    const int32_t sign = input.wheelDelta > 0 ? 1 : -1;
    input.zoom = ctrl ? 0 : -sign;
    input.roll = ctrl ? sign : 0;
    input.wheelActive = true;
  } else if (input.wheelActive) {
    input.zoom = input.roll = 0;
    input.wheelActive = false;
  }
  input.wheelDelta = 0;
}

void SaverResize(int32_t width, int32_t height, int32_t clientOriginX, int32_t clientOriginY) {
  SaverWindow& window = gSaverWindow;
  window.width = width;
  window.height = height;
  window.clientLeft = clientOriginX;
  window.clientTop = clientOriginY;
  if (Automatic()) return;
  window.cursorCentreX = clientOriginX + width / 2;
  window.cursorCentreY = clientOriginY + height / 2;
  PlatformSetCursor(window.cursorCentreX, window.cursorCentreY);
}

void SaverMove(int32_t clientOriginX, int32_t clientOriginY) {
  SaverWindow& window = gSaverWindow;
  window.clientLeft = clientOriginX;
  window.clientTop = clientOriginY;
  window.cursorCentreX = clientOriginX + window.width / 2;
  window.cursorCentreY = clientOriginY + window.height / 2;
}

void SaverDrawLoading() {
  const SaverWindow& window = gSaverWindow;
  glClear(GL_COLOR_BUFFER_BIT);
  LayOutViews();
  for (int32_t i = 0; i < window.layout.count; ++i) DrawLoadingText(AreaOf(window.layout.views[i]));
}

void SaverSetMonitors(const MonitorList& monitors, bool spansMonitors) {
  gSaverWindow.monitors = monitors;
  gSaverWindow.spansMonitors = spansMonitors;
}

bool MouseMayEndFlyby() { return gSaverWindow.graceSeconds > kMouseGraceSeconds; }
