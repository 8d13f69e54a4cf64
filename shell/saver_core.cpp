// The saver core's start-up, frames and end: the run's configuration, the loader thread, the
// loading frames, the ready frames (camera, the frame's request, pacing, adaptive quality), the
// tour and the screenshots. No platform and no graphics API: the back end draws.
#include "shell/saver_core.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "camera/camera_state.h"
#include "camera/control_step.h"
#include "camera/flyby.h"
#include "camera/terraform.h"
#include "mapdata/map_data.h"
#include "mapdata/resolve_run_config.h"
#include "mesh/mesh_worker.h"
#include "platform/failure_report.h"
#include "platform/level_scan.h"
#include "platform/platform.h"
#include "render/frame.h"
#include "render/renderer.h"
#include "shell/screenshot.h"

SaverCore gSaverCore{{}, nullptr, WindowPlace{1, 1, 0, 0, {}, false, {}}, kStartPacing, {}, {}, {}, {}, {}, {},
                     kStartFlyby, {}, {}, {}, {}, false, 0.0f, {}};

namespace {

constexpr float kGraceLimit = 60.0f;  // the grace time stops counting here

// The views of this frame, from the window's place and the monitors as the shell last read them.
void LayOutViews() {
  WindowPlace& place = gSaverCore.place;
  place.layout = LayoutViews(gSaverCore.config.monitors, place.monitors,
                             WindowRect{place.left, place.top, place.width, place.height}, place.spansMonitors);
}

// Each view's viewport with the perspective of its shape (the run's field-of-view rule).
FrameViews FrameViewsOf(const ViewLayout& layout, const RunConfig& config) {
  FrameViews views{};
  views.count = layout.count;
  for (int32_t i = 0; i < layout.count; ++i) {
    const MonitorView& m = layout.views[i];
    FrameView& v = views.views[i];
    v = FrameView{m.x, m.y, m.width, m.height, 0.0f, 0.0f, m.scale};
    v.aspect = static_cast<float>(m.width) / static_cast<float>(m.height > 0 ? m.height : 1);
    v.fieldOfView = FieldOfViewFor(config, v.aspect);
  }
  return views;
}

// A request of this frame's window and views with no scene in it yet.
FrameRequest WindowRequest() {
  WindowPlace& place = gSaverCore.place;
  // A minimised window reports no size; the frame keeps one pixel.
  if (place.width == 0) place.width = 1;
  if (place.height == 0) place.height = 1;
  LayOutViews();
  FrameRequest request{};
  request.width = place.width;
  request.height = place.height;
  request.views = FrameViewsOf(place.layout, gSaverCore.config);
  request.overlays = kNoOverlays;
  return request;
}

// The tour's table and its captions in the font's codes, once for the run. False with the reason
// when the table built into the program is broken.
bool PrepareTour(TourRun& tour, char* error, size_t errorSize) {
  if (!LoadBuiltInLandmarks(tour.landmarks, error, errorSize)) return false;
  for (int32_t i = 0; i < tour.landmarks.count; ++i) {
    const Landmark& place = tour.landmarks.entries[i];
    TourCaption& caption = tour.captions[i];
    if (!EncodeCodePage1252(place.name, std::strlen(place.name), caption.title, sizeof caption.title) ||
        !EncodeCodePage1252(place.caption, std::strlen(place.caption), caption.facts, sizeof caption.facts)) {
      std::snprintf(error, errorSize, "the caption of %s does not fit the overlay font", place.name);
      return false;
    }
    caption.landingSite = std::strstr(place.caption, "landed") != nullptr;
    caption.longitude = place.longitude;
    caption.mission = MissionNamed(place.name);
  }
  return true;
}

// The run's configuration from the settings, what the back end offers and the data folder's levels.
void Configure(const SaverSettings& settings, const RunLimits& limits, bool singleThread) {
  int32_t levels[kLevelListCapacity];
  const int32_t count = ScanLevelsIn(settings.DataPath, levels, kLevelListCapacity);
  RunConfig& config = gSaverCore.config;
  config = ResolveRunConfig(settings, limits, levels, count);
  config.meshThread = !singleThread;
  char error[kLandmarkErrorSize];
  if (config.tour && !PrepareTour(gSaverCore.tour, error, sizeof error)) {
    ReportFailure("the tour's landmark table is broken (%s): the flyby is shown instead", error);
    config.tour = false;
  }
}

TourTerrain GroundTerrain() { return TourTerrain{MapGroundHeight, &gSaverCore.tour.ground}; }

// The tour starts from the initial view; a table that holds no landmark leaves the flyby.
void StartGuidedTour() {
  SaverCore& core = gSaverCore;
  CameraState& cameras = core.cameras;
  core.tour.ground = MapGround{&core.map, core.config.reliefFactor};
  if (StartTour(core.tour.flight, core.tour.landmarks, cameras.minDistance, GroundTerrain(), cameras.camera,
                cameras.sun))
    return;
  core.config.tour = false;
  core.input.horizontalMove = 1;
}

// The camera and sun of this frame: the tour flies them itself; the flyby and manual control
// set commands that ControlStep carries out.
void StepCamera(bool hasFocus, float dt) {
  SaverCore& core = gSaverCore;
  CameraState& cameras = core.cameras;
  if (core.config.tour) {
    core.tour.ground.relief = core.input.reliefTarget;
    TourStep(core.tour.flight, dt, GroundTerrain(), cameras.camera, cameras.sun, cameras.spinAngle);
    return;
  }
  if (!core.config.automatic) {
    if (hasFocus) SaverPollMouse();
  } else {
    if (FlybyVisitStep(core.flyby, dt, cameras)) return;
    FlybyStep(core.flyby, core.input, cameras);
  }
  ControlStep(core.input, dt, PlatformCapsLockOn(), core.config.automatic, cameras);
}

// The moment this frame shows on the run's clock.
int64_t RunMoment(const RunClock& clock) {
  const int64_t elapsed = PlatformCounter() - clock.startCounter;
  const int64_t frequency = PlatformCounterFrequency();
  return clock.startMillis + elapsed / frequency * 1000 + elapsed % frequency * 1000 / frequency;
}

// On the Mars clock: the sun over the sub-solar point, the stars turned as Mars has turned, the
// moons and planets where they stand, all at this frame's moment.
void StepSky(CameraState& cameras, const RunClock& runClock) {
  if (!cameras.clockSun) return;
  const int64_t moment = RunMoment(runClock);
  const MarsClock clock = MarsClockAt(moment);
  const Vec3 sun = SunDirectionAt(clock);
  SetPointPosition(cameras.sun, sun);
  cameras.spinAngle = StarTurnAt(clock);
  cameras.sky = SkyBodiesAt(moment, sun);
}

void StartRunClock(RunClock& clock) {
  if (!clock.given) clock.startMillis = PlatformUtcMillis();
  clock.startCounter = PlatformCounter();
}

// The scene is ready: the renderer on the loaded map, the quality the back end allows, the start
// pose, and the flyby or tour under way.
void StartScene() {
  SaverCore& core = gSaverCore;
  const WindowPlace& place = core.place;
  const bool shadows = InitRenderer(*core.backEnd, core.config, core.map, place.width, place.height);
  core.quality = StartQualityGovernor(shadows);
  core.input.reliefTarget = core.config.reliefFactor;
  SetupInitialView(core.cameras, core.config, core.map.ppd, static_cast<float>(place.width), static_cast<float>(place.height));
  core.pacing.counterFrequency = PlatformCounterFrequency();
  RestartPacing(core.pacing);
  StartRunClock(core.clock);
  StepSky(core.cameras, core.clock);
  if (core.config.tour) StartGuidedTour();
  else if (core.config.automatic) core.input.horizontalMove = 1;  // the flyby orbits to the right for the whole run
  core.ready = true;
}

// The loading picture: the window cleared and "Loading..." on every view.
void DrawLoading() {
  FrameRequest request = WindowRequest();
  request.overlays.loading = true;
  gSaverCore.backEnd->drawOverlaysOnly(request);
}

// The loading picture until the loader raises its flag.
void LoadingFrame() {
  DrawLoading();
  SaverTakeScreenshots();
  if (gSaverCore.map.loaded.load(std::memory_order_acquire)) StartScene();
}

// The facts of the caption shown: a landing site's with its local time at this frame's moment.
const char* CaptionFacts(TourRun& tour, const TourCaption& caption, const RunClock& runClock) {
  if (!caption.landingSite) return caption.facts;
  char clockText[48];
  FormatSiteClock(MarsClockAt(RunMoment(runClock)), caption.longitude, caption.mission, clockText, sizeof clockText);
  std::snprintf(tour.liveFacts, sizeof tour.liveFacts, "%s; %s", caption.facts, clockText);
  return tour.liveFacts;
}

// What is drawn over this frame: the tour's caption, the help where the pointer is, the frame rate.
FrameOverlays ReadyOverlays(const ViewLayout& layout) {
  SaverCore& core = gSaverCore;
  FrameOverlays overlays = kNoOverlays;
  overlays.framesPerSecond = core.frameRate.shown;
  if (core.config.tour && core.tour.flight.visiting >= 0) {
    const TourCaption& caption = core.tour.captions[core.tour.flight.visiting];
    overlays.captionTitle = caption.title;
    overlays.captionFacts = CaptionFacts(core.tour, caption, core.clock);
    overlays.captionOpacity = TourCaptionOpacity(core.tour.flight);
  }
  if (core.input.helpShown) {
    int32_t x = 0, y = 0;
    PlatformGetCursor(&x, &y);
    overlays.helpView = ViewAt(layout, x, y);
  }
  if (core.config.showFrameRate) overlays.frameRateView = layout.primary;
  return overlays;
}

// This frame's scene: the camera and sun as they now stand, the relief and terraform level, the
// quality, and the matrices made from them.
FrameRequest SceneRequest(int32_t terraformLevel) {
  const SaverCore& core = gSaverCore;
  FrameRequest request = WindowRequest();
  SetRequestScene(request, core.cameras, core.input.reliefTarget, terraformLevel,
                  QualityAt(core.quality, core.quality.level));
  request.overlays = ReadyOverlays(core.place.layout);
  SetFrameMatrices(request);
  return request;
}

// One line a step, with the figures that made it.
void ReportQualityStep(QualityChange change, const QualityGovernor& governor, double measured, double interval) {
  const QualityLevel level = QualityAt(governor, governor.level);
  ReportFailure("frames take %.1f ms for a %.1f ms interval: quality %s to %d of %d (shadows %s, triangle limits 1/%u)",
                1000.0 * measured, 1000.0 * interval, change == QualityChange::Up ? "up" : "down",
                FloorLevel(governor) - governor.level, FloorLevel(governor), level.shadows ? "on" : "off",
                1u << (level.limitShift + gSaverCore.config.triangleShift));
}

// Steps quality down while frames run clearly late and back up after a stretch with headroom; the
// next frame's request carries the new level.
void AdaptQuality() {
  SaverCore& core = gSaverCore;
  const double interval = FrameInterval(core.pacing);
  const double measured = core.quality.measured;
  const QualityChange change = ObserveFrame(core.quality, core.pacing.workSeconds, core.pacing.dt, interval);
  if (change != QualityChange::Kept) ReportQualityStep(change, core.quality, measured, interval);
}

void ReadyFrame(bool hasFocus) {
  SaverCore& core = gSaverCore;
  const float dt = static_cast<float>(core.pacing.dt);
  const int32_t terraformLevel = TerraformStep(core.terraform, core.config, dt);
  StepCamera(hasFocus, dt);
  StepSky(core.cameras, core.clock);
  RenderFrame(SceneRequest(terraformLevel));
  if (core.graceSeconds < kGraceLimit) core.graceSeconds += dt;
  SaverTakeScreenshots();
  PaceFrame(core.pacing);
  CountFrame(core.frameRate, core.pacing.dt);
  if (core.config.adaptQuality) AdaptQuality();
}

}  // namespace

bool SaverStart(const SaverSettings& settings, const SaverHost& host) {
  SaverCore& core = gSaverCore;
  core.backEnd = host.backEnd;
  RunLimits limits{};
  if (!core.backEnd->startContext(host.overlays, &limits)) {
    ReportFailure("the font and help picture cannot be made (out of memory or graphics resources)");
    return false;
  }
  Configure(settings, limits, host.singleThread);
  core.clock = RunClock{host.clockGiven, host.clockMillis, 0};
  const WindowRect& client = host.client;
  SaverResize(client.width, client.height, client.left, client.top);
  SaverSetMonitors(host.monitors, host.spansMonitors);
  // Both buffers, so whatever the swap shows first is the loading picture.
  for (int buffer = 0; buffer < 2; ++buffer) {
    DrawLoading();
    host.swap(host.swapContext);
  }
  // The request is taken here, on the window thread; the loader reads nothing else and writes only
  // the core's map.
  const LoadRequest request = LoadRequestFor(core.config);
  core.loadRequest = request;
  if (host.loaderStarting) host.loaderStarting(request);
  if (host.singleThread) return true;
  MapData& map = core.map;
  core.loader = std::thread([request, &map] { LoaderThreadMain(request, map); });
  return true;
}

bool SaverLoadNow(bool withClouds) {
  MapData& map = gSaverCore.map;
  LoadRequest request = gSaverCore.loadRequest;
  request.clouds = request.clouds && withClouds;
  if (!LoadMapData(request, map)) return false;
  map.loaded.store(true, std::memory_order_release);
  return true;
}

bool SaverLoadClouds() { return LoadCloudLayer(gSaverCore.loadRequest, gSaverCore.map); }

void SaverFrame(bool hasFocus) {
  if (gSaverCore.ready) ReadyFrame(hasFocus);
  else LoadingFrame();
}

void SaverStopThreads() {
  // A saver ended while loading closes only once loading has finished.
  if (gSaverCore.loader.joinable()) gSaverCore.loader.join();
  StopMeshWorker();
}

void SaverDestroy() {
  SaverStopThreads();
  ShutdownRenderer();
  FreeMapData(gSaverCore.map);
  if (gSaverCore.backEnd) gSaverCore.backEnd->endContext();
}

void SaverTakeScreenshots() {
  InputRequests& requests = gSaverCore.requests;
  if (!requests.fileShotWanted && !requests.copyShotWanted) return;
  const WindowPlace& place = gSaverCore.place;
  FramePixels pixels{place.width, place.height, nullptr};
  if (place.width > 0 && place.height > 0)
    pixels.bgr = static_cast<uint8_t*>(std::malloc(BmpImageSize(place.width, place.height)));
  // Failures are silent: a screenshot that cannot be had is simply not taken.
  const bool read = pixels.bgr && SaverReadFrame(pixels);
  if (requests.fileShotWanted) {
    char desktop[kDataPathSize] = {};
    if (PlatformDesktopFolder(desktop, sizeof desktop) && read)
      SaveNumberedScreenshot(desktop, pixels.bgr, pixels.width, pixels.height);
  }
  if (requests.copyShotWanted && read) PlatformCopyFrame(pixels.bgr, pixels.width, pixels.height);
  requests.fileShotWanted = requests.copyShotWanted = false;
  std::free(pixels.bgr);
}

bool SaverReadFrame(FramePixels& pixels) { return gSaverCore.backEnd->readFrame(pixels); }

void SaverSetRefreshRate(double hertz) { SetRefreshRate(gSaverCore.pacing, hertz); }

void SaverSetOnBattery(bool onBattery) {
  gSaverCore.pacing.frameRateCap = onBattery ? kBatteryFramesPerSecond : kMaxFramesPerSecond;
}

void SaverResume() { RestartPacing(gSaverCore.pacing); }

bool SaverTakeFrameRateReport(double* framesPerSecond) {
  return TakeFrameRateReport(gSaverCore.frameRate, framesPerSecond);
}
