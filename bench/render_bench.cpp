// RenderFrame on a full-count level-8 data set at 1024 x 768 on Mesa, for fixed camera poses, with
// and without shadows: milliseconds per frame split into the wait for the mesh worker, the upload
// and the drawing, against the time Mesa takes to draw the same lit triangles from buffers
// prepared once (the ceiling): once for the plain frame, and with shadows every planet draw that
// the shadow technique makes (two depth-only draws into the shadow map, two lit draws).
// With the argument "monitors": two monitors' views against one view spanning them.
// Run under Xvfb: tests/xvfb/run_with_xvfb.sh build/linux/bench/render_bench [monitors]
#include <GL/glew.h>
#include <GL/glu.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "camera/camera_state.h"
#include "camera/control_step.h"
#include "gl/gl_caps.h"
#include "gl/gl_matrix.h"
#include "gl/gl_objects.h"
#include "gl/gl_setup.h"
#include "mapdata/map_data.h"
#include "mesh/mesh_worker.h"
#include "render/fixed_function_back_end.h"
#include "render/frame.h"
#include "render/renderer.h"
#include "settings/saver_settings.h"
#include "tests/gl/gl_harness.h"
#include "tests/mesh/mesh_views.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/support/test_run.h"

namespace {

constexpr int kWidth = 1024, kHeight = 768;
constexpr int kWarmFrames = 4, kTimedFrames = 20;

struct Pose {
  const char* name;
  float latitude, longitude, distance;  // where the camera is (distance 0: the minimum distance)
  float targetLatitude, targetLongitude, targetRadius;  // what it looks at
};

const Pose kPoses[] = {
    {"far, whole disc", 0, 0, kMaxCameraDistance, 0, 0, 0},
    {"close, at the limb", 0, 0, 0, 0, 60, 3396000},
    {"over a pole", 89.5f, 0, 9000000, 90, 0, 0},
    {"across the 0/360 seam", 20, 0, 8000000, 0, 0, 0},
    {"lowest, looking down", 30, 90, 0, 30, 90, 3396000},
};

CameraState gCameras{};  // the scene's initial view, then each pose's camera

void PlaceCamera(const Pose& pose) {
  CameraPose& camera = gCameras.camera;
  const float distance = pose.distance > 0 ? pose.distance : gCameras.minDistance;
  SetSpherical(camera.point, distance, pose.latitude, pose.longitude);
  Vec3 target;
  SphereToVec3(target, SphereCoords{pose.targetRadius, pose.targetLatitude, pose.targetLongitude});
  const Vec3 position = PointPosition(camera.point);
  const Vec3 forward = Normalized(Sub(target, position));
  Vec3 up{0, 1, 0};
  if (std::fabs(forward.y) > 0.99f) up = Vec3{0, 0, -1};
  const Vec3 right = Normalized(Cross(forward, up));
  SetOrientation(camera, forward, Cross(right, forward), right);
}

// The window the frames are drawn into and its views (one, or one per monitor).
struct Surface {
  int width, height;
  FrameViews views;
};

Surface OneView(int width, int height) {
  const float aspect = static_cast<float>(width) / height;
  return Surface{width, height, WholeWindowView(width, height, aspect >= 1.0f ? 24.0f : 24.0f / aspect, aspect)};
}

bool gShadowsDrawn = false;  // what InitRenderer allowed the scene
TerraformState gTerraform{};  // off for the whole benchmark

// The frame's request as the saver makes it from the camera state, then RenderFrame.
void Frame(FrameTimings* timings, const Surface& surface = OneView(kWidth, kHeight)) {
  FrameRequest request{};
  SetRequestScene(request, gCameras, 10.0f, AdvanceTerraformLevel(gTerraform, 0.033f), QualityLevel{gShadowsDrawn, 0});
  request.width = surface.width;
  request.height = surface.height;
  request.views = surface.views;
  request.overlays = kNoOverlays;
  SetFrameMatrices(request);
  gFrame.timings = timings;
  RenderFrame(request);
  gFrame.timings = nullptr;
}

// The drawn slot's lit, coloured triangles in buffers filled once, with the slot's matrices.
void FillRawSlot(const MeshSlot& slot, GLuint buffers[3]) {
  const MeshRanges& r = slot.ranges;
  glGenBuffers(3, buffers);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr{r.total} * kTrianglePositionBytes, slot.positions, GL_STATIC_DRAW);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[1]);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr{r.total} * kTrianglePositionBytes, slot.normals, GL_STATIC_DRAW);
  glNormalPointer(GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[2]);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr{r.total} * kTriangleColourBytes, slot.colours, GL_STATIC_DRAW);
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, nullptr);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  const FrameRequest& recorded = gFrame.slotRequests[1 - gMeshWorker.slotIndex];
  glMatrixMode(GL_PROJECTION);
  LoadRows(recorded.projection);
  glMatrixMode(GL_MODELVIEW);
  LoadRows(recorded.view);
  glFinish();
}

void DrawRange(uint32_t first, uint32_t count) { glDrawArrays(GL_TRIANGLES, 3 * first, 3 * count); }

// The planet draws of the shadow technique, raw: the two depth-only draws into the shadow map
// (faces turned from the light, then those turned to it), then the dark and the sunlit draw into
// the window, and the rest of the slot (the atmosphere) once. No sky, no texture coordinates, no
// depth comparison, no blending.
void DrawShadowDraws(const MeshRanges& r) {
  glBindFramebuffer(GL_FRAMEBUFFER, gGlObjects.ShadowFramebuffer);
  glViewport(0, 0, gGlObjects.shadowWidth, gGlObjects.shadowHeight);
  glClear(GL_DEPTH_BUFFER_BIT);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  glDisable(GL_LIGHTING);
  glCullFace(GL_FRONT);
  DrawRange(r.planetFirst, r.planetCount);
  glCullFace(GL_BACK);
  DrawRange(r.planetFirst, r.planetCount);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glEnable(GL_LIGHTING);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glViewport(0, 0, kWidth, kHeight);
  DrawRange(0, r.total);
  DrawRange(r.planetFirst, r.planetCount);
}

// Mesa drawing the drawn slot's triangles from buffers filled once: the plain frame's draw, or
// (shadowDraws) every planet draw that the shadow technique makes.
double CeilingSeconds(bool shadowDraws, uint32_t* triangles) {
  const MeshSlot& slot = gMeshWorker.slots[1 - gMeshWorker.slotIndex];
  const MeshRanges& r = slot.ranges;
  *triangles = r.total;
  GLuint buffers[3];
  FillRawSlot(slot, buffers);
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kTimedFrames; ++i) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (shadowDraws) DrawShadowDraws(r);
    else DrawRange(0, r.total);
    glFinish();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  glDeleteBuffers(3, buffers);
  return seconds / kTimedFrames;
}

MapData gScene{};  // the loaded map of the scene being measured

// The settings of a benchmark run over the data set in folder, and the scene set up for a window.
void StartScene(const std::string& folder, bool shadows, int width, int height) {
  gSaverSettings = DefaultSaverSettings();
  std::snprintf(gSaverSettings.DataPath, kDataPathSize, "%s", folder.c_str());
  gSaverSettings.Shadows = static_cast<uint8_t>(shadows);
  gSaverSettings.AutoControl = 0;
  gSaverSettings.TerraformMode = 0;
  const RenderBackEnd& backEnd = FixedFunctionBackEnd();
  backEnd.startContext(OverlayHandles{nullptr, nullptr}, &gTestLimits);
  const RunConfig config = TestRunConfig();
  LoaderThreadMain(LoadRequestFor(config), gScene);
  gShadowsDrawn = InitRenderer(backEnd, config, gScene, width, height);
  SetupInitialView(gCameras, config, gScene.ppd, static_cast<float>(width), static_cast<float>(height));
}

void EndScene() {
  ShutdownRenderer();
  glClientActiveTexture(GL_TEXTURE0);
  FreeMapData(gScene);
}

// Mean seconds a frame, and of them the wait for the mesh worker; the triangles drawn.
struct SurfaceTiming {
  double frameSeconds, waitSeconds;
  uint32_t triangles;
};

SurfaceTiming TimeSurface(const Surface& surface) {
  for (int i = 0; i < kWarmFrames; ++i) Frame(nullptr, surface);
  SurfaceTiming timing{0, 0, 0};
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kTimedFrames; ++i) {
    FrameTimings t{};
    Frame(&t, surface);
    timing.waitSeconds += t.waitSeconds / kTimedFrames;
  }
  timing.frameSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kTimedFrames;
  timing.triangles = gMeshWorker.slots[1 - gMeshWorker.slotIndex].ranges.total;
  return timing;
}

// Two monitors side by side, 1280 x 1024 and 1024 x 768 (the virtual screen 2304 x 1024): a view
// on each against one view spanning both, per pose, with and without shadows: the mean frame, the
// wait for the mesh worker within it and the triangles drawn.
int CompareMonitors(const std::string& folder) {
  constexpr int kScreenWidth = 2304, kScreenHeight = 1024;
  Surface two{kScreenWidth, kScreenHeight, {}};
  two.views.count = 2;
  two.views.views[0] = FrameView{0, 0, 1280, 1024, 24.0f, 1280.0f / 1024.0f, 1.0f};
  two.views.views[1] = FrameView{1280, 256, 1024, 768, 24.0f, 1024.0f / 768.0f, 1.0f};
  const Surface span = OneView(kScreenWidth, kScreenHeight);
  std::printf("%-24s %-7s %9s %9s %9s %9s %9s %9s %7s\n", "pose", "shadows", "span tri", "span ms", "span wait",
              "two tri", "two ms", "two wait", "ratio");
  // Each surface from a fresh scene: the worker's thinning keeps a history, and a mesh that has
  // just been thinned for one frustum would be measured against another's.
  const auto time = [&](const Surface& surface, bool shadows, const Pose& pose) {
    StartScene(folder, shadows, kScreenWidth, kScreenHeight);
    PlaceCamera(pose);
    const SurfaceTiming timing = TimeSurface(surface);
    EndScene();
    return timing;
  };
  for (int shadows = 0; shadows <= 1; ++shadows) {
    for (const Pose& pose : kPoses) {
      const SurfaceTiming one = time(span, shadows != 0, pose), both = time(two, shadows != 0, pose);
      std::printf("%-24s %-7s %9u %9.2f %9.2f %9u %9.2f %9.2f %7.2f\n", pose.name, shadows ? "on" : "off",
                  one.triangles, 1e3 * one.frameSeconds, 1e3 * one.waitSeconds, both.triangles,
                  1e3 * both.frameSeconds, 1e3 * both.waitSeconds, both.frameSeconds / one.frameSeconds);
    }
  }
  return 0;
}

}  // namespace

// With "monitors" as its argument: the two-monitor comparison instead of the pose table.
int main(int argc, char** argv) {
  const bool monitors = argc > 1 && std::string(argv[1]) == "monitors";
  std::string why;
  if (!GlHarnessStart(monitors ? 2304 : kWidth, monitors ? 1024 : kHeight, &why)) {
    std::fprintf(stderr, "render_bench: %s\n", why.c_str());
    return 1;
  }
  TempFolder folder;
  if (!WriteTestDataSet(folder.str(), MakeTestDataSet(8, true))) {
    std::fprintf(stderr, "render_bench: cannot write the data set\n");
    return 1;
  }
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  if (monitors) return CompareMonitors(folder.str());
  std::printf("%-24s %-7s %9s %8s %8s %8s %9s %9s %7s\n", "pose", "shadows", "triangles", "wait ms", "upload",
              "draw", "frame ms", "ceiling", "ratio");
  for (int shadows = 0; shadows <= 1; ++shadows) {
    StartScene(folder.str(), shadows != 0, kWidth, kHeight);
    for (const Pose& pose : kPoses) {
      PlaceCamera(pose);
      for (int i = 0; i < kWarmFrames; ++i) Frame(nullptr);
      FrameTimings sum{0, 0, 0};
      double frameSeconds = 0;
      for (int i = 0; i < kTimedFrames; ++i) {
        FrameTimings t{};
        const auto start = std::chrono::steady_clock::now();
        Frame(&t);
        frameSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        sum.waitSeconds += t.waitSeconds;
        sum.uploadSeconds += t.uploadSeconds;
        sum.drawSeconds += t.drawSeconds;
      }
      uint32_t triangles = 0;
      const double ceiling = CeilingSeconds(shadows && gGlObjects.ShadowFramebuffer != 0, &triangles);
      const double frame = frameSeconds / kTimedFrames;
      std::printf("%-24s %-7s %9u %8.2f %8.2f %8.2f %9.2f %9.2f %7.2f\n", pose.name, shadows ? "on" : "off", triangles,
                  1e3 * sum.waitSeconds / kTimedFrames, 1e3 * sum.uploadSeconds / kTimedFrames,
                  1e3 * sum.drawSeconds / kTimedFrames, 1e3 * frame, 1e3 * ceiling, frame / ceiling);
    }
    EndScene();
  }
  return 0;
}
