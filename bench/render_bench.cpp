// RenderFrame on a full-count level-8 data set at 1024 x 768 on Mesa, for fixed camera poses, with
// and without shadows: milliseconds per frame split into the wait for the mesh worker, the upload
// and the drawing, against the time Mesa takes to draw the same lit triangles from buffers
// prepared once (the ceiling): once for the plain frame, and with shadows every planet draw that
// the shadow technique makes (two depth-only draws into the shadow map, two lit draws).
// Run under Xvfb: tests/xvfb/run_with_xvfb.sh build/linux/bench/render_bench
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
#include "gl/gl_objects.h"
#include "gl/gl_setup.h"
#include "mapdata/map_data.h"
#include "mesh/mesh_worker.h"
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

void PlaceCamera(const Pose& pose) {
  CameraPose& camera = gCameraState.camera;
  const float distance = pose.distance > 0 ? pose.distance : gCameraState.minDistance;
  SetSpherical(camera.point, distance, pose.latitude, pose.longitude);
  Vec3 target;
  SphereToVec3(target, SphereCoords{pose.targetRadius, pose.targetLatitude, pose.targetLongitude});
  const Vec3 position = PointPosition(camera.point);
  const Vec3 forward = Unit(Sub(target, position));
  Vec3 up{0, 1, 0};
  if (std::fabs(forward.y) > 0.99f) up = Vec3{0, 0, -1};
  const Vec3 right = Unit(CrossOf(forward, up));
  SetOrientation(camera, forward, CrossOf(right, forward), right);
}

void LoadView() {
  const CameraPose& c = gCameraState.camera;
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const float top = 3396000.0f + 10.0f * gCameraState.topHeight;
  const float d = c.point.distance;
  gluPerspective(24.0, static_cast<double>(kWidth) / kHeight, std::max(1.0f, (d - top) * 0.6f), d + 0.5f * top);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(c.point.x, c.point.y, c.point.z, c.point.x + 3375000.0 * c.forward.x, c.point.y + 3375000.0 * c.forward.y,
            c.point.z + 3375000.0 * c.forward.z, c.up.x, c.up.y, c.up.z);
  const GLfloat light[4] = {gCameraState.sun.x, gCameraState.sun.y, gCameraState.sun.z, 0};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
}

void Frame(FrameTimings* timings) {
  LoadView();
  gFrame.timings = timings;
  const CameraState& c = gCameraState;
  const float aspect = static_cast<float>(kWidth) / kHeight;
  RenderFrame(kWidth, kHeight, 24.0f, aspect, 0.033f, c.spinAngle, c.camera, c.sun,
              WholeWindowView(kWidth, kHeight, 24.0f, aspect));
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
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(slot.projectionMatrix);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(slot.viewMatrix);
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

}  // namespace

int main() {
  std::string why;
  if (!GlHarnessStart(kWidth, kHeight, &why)) {
    std::fprintf(stderr, "render_bench: %s\n", why.c_str());
    return 1;
  }
  TempFolder folder;
  if (!WriteTestDataSet(folder.str(), MakeTestDataSet(8, true))) {
    std::fprintf(stderr, "render_bench: cannot write the data set\n");
    return 1;
  }
  std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
  std::printf("%-24s %-7s %9s %8s %8s %8s %9s %9s %7s\n", "pose", "shadows", "triangles", "wait ms", "upload",
              "draw", "frame ms", "ceiling", "ratio");
  for (int shadows = 0; shadows <= 1; ++shadows) {
    gSaverSettings = DefaultSaverSettings();
    std::snprintf(gSaverSettings.DataPath, kDataPathSize, "%s", folder.str().c_str());
    gSaverSettings.Shadows = static_cast<uint8_t>(shadows);
    gSaverSettings.AutoControl = 0;
    gSaverSettings.TerraformMode = 0;
    SetBaseGlState();
    gTestLimits = GlRunLimits();
    RunConfig config = TestRunConfig();
    LoaderThreadMain(LoadRequestFor(config));
    InitRenderer(config, kWidth, kHeight);
    SetupInitialView(config, kWidth, kHeight);
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
    ShutdownRenderer();
    glClientActiveTexture(GL_TEXTURE0);
    FreeMapData();
  }
  return 0;
}
