// Redsphere in a web page: the canvas's WebGL context (2, else 1, else the page's message), the
// settings from the address, the saver core on the page's one thread, the map data fetched by the
// page's script before the core loads it, and the page's events turned into the core's calls. The
// browser calls each frame at its display's pace and calls none while the page is hidden.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cmath>

#include "render/web/webgl_back_end.h"
#include "settings/saver_settings.h"
#include "shell/saver_core.h"
#include "shell/web/web_input.h"

namespace {

constexpr char kCanvas[] = "#globe";
// The pacing's refresh rate: frames of 1/60 s at most, however fast the page's display is.
constexpr double kPacingRefreshRate = 120.0;

// The page's size in device pixels, the canvas's drawing buffer made to match.
WindowRect CanvasSize() {
  double cssWidth = 0, cssHeight = 0;
  emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
  const double ratio = emscripten_get_device_pixel_ratio();
  const int32_t width = static_cast<int32_t>(std::lround(cssWidth * ratio));
  const int32_t height = static_cast<int32_t>(std::lround(cssHeight * ratio));
  return WindowRect{0, 0, width > 0 ? width : 1, height > 0 ? height : 1};
}

MonitorList PageMonitor(const WindowRect& size) {
  MonitorList monitors{};
  monitors.count = 1;
  monitors.monitors[0] = MonitorRect{0, 0, size.width, size.height,
                                     static_cast<float>(emscripten_get_device_pixel_ratio()), true};
  return monitors;
}

void FollowCanvasSize() {
  const WindowRect size = CanvasSize();
  const WindowPlace& place = gSaverCore.place;
  if (size.width == place.width && size.height == place.height) return;
  emscripten_set_canvas_element_size(kCanvas, size.width, size.height);
  SaverResize(size.width, size.height, 0, 0);
  SaverSetMonitors(PageMonitor(size), false);
}

void Frame() {
  EmscriptenVisibilityChangeEvent visibility{};
  if (emscripten_get_visibility_status(&visibility) == EMSCRIPTEN_RESULT_SUCCESS && visibility.hidden) return;
  FollowCanvasSize();
  SaverFrame(true);
}

EM_JS(void, PageFetchData, (const char* folder, int level, int clouds), {
  Module.redspherePage.fetchData(UTF8ToString(folder), level, !!clouds);
});

EM_JS(void, PageNoWebGl, (), { Module.redspherePage.noWebGl(); });

EM_JS(void, PageLoadFailed, (), { Module.redspherePage.loadFailed(); });

void FetchData(const LoadRequest& request) { PageFetchData(request.folder, request.level, request.clouds); }

void NoSwap(void*) {}

// WebGL 2 with antialiasing, else WebGL 1; 0 when the browser has neither.
EMSCRIPTEN_WEBGL_CONTEXT_HANDLE MakeContext() {
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_init_context_attributes(&attributes);
  attributes.alpha = false;
  attributes.depth = true;
  attributes.antialias = true;
  for (int version = 2; version >= 1; --version) {
    attributes.majorVersion = version;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(kCanvas, &attributes);
    if (context > 0) return context;
  }
  return 0;
}

}  // namespace

// Called by the page's script once every file of the level but the clouds' is in the data folder.
extern "C" EMSCRIPTEN_KEEPALIVE void RedsphereDataArrived() {
  if (SaverLoadNow(false)) return;
  emscripten_cancel_main_loop();
  PageLoadFailed();
}

// Called by the page's script once the clouds' file is there too; one that fails the loader's
// rules leaves the globe without clouds, its line on the page.
extern "C" EMSCRIPTEN_KEEPALIVE void RedsphereCloudsArrived() {
  if (SaverLoadClouds()) WebGlAddCloudLayer(gSaverCore.map);
}

// Called by the page's script when a file could not be fetched: no frame is drawn after its message.
extern "C" EMSCRIPTEN_KEEPALIVE void RedsphereStop() { emscripten_cancel_main_loop(); }

int main() {
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = MakeContext();
  if (context <= 0) {
    PageNoWebGl();
    return 0;
  }
  emscripten_webgl_make_context_current(context);
  gSaverSettings = DefaultSaverSettings();
  LoadSettings(gSaverSettings);
  const WindowRect size = CanvasSize();
  emscripten_set_canvas_element_size(kCanvas, size.width, size.height);
  SaverHost host{&WebGlBackEnd(), OverlayHandles{nullptr, nullptr}, NoSwap, nullptr, size, PageMonitor(size), false,
                 FetchData, true, false, 0};
  if (!SaverStart(gSaverSettings, host)) {
    PageLoadFailed();
    return 0;
  }
  SaverSetRefreshRate(kPacingRefreshRate);
  ListenToPage();
  emscripten_set_main_loop(Frame, 0, 0);
  return 0;
}
