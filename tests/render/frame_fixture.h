// A loaded data set, a GL context on the test's Xvfb and the scene set up as the saver sets it up,
// for tests that render whole frames and read back what a person would see.
#pragma once

#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "camera/camera_state.h"
#include "camera/control_step.h"
#include "camera/terraform.h"
#include "gl/gl_caps.h"
#include "gl/gl_setup.h"
#include "mesh/mesh_worker.h"
#include "render/fixed_function_back_end.h"
#include "render/frame.h"
#include "render/renderer.h"
#include "render/terraform_blend.h"
#include "tests/gl/gl_harness.h"
#include "tests/mapdata/load_fixture.h"
#include "tests/support/test_run.h"

class FrameFixture : public LoadFixture {
 protected:
  static constexpr int kWidth = 400, kHeight = 300;

  void SetUp() override {
    LoadFixture::SetUp();
    std::string why;
    ASSERT_TRUE(GlHarnessStart(kWidth, kHeight, &why)) << why;
    gSaverSettings.Shadows = 0;
    gSaverSettings.Atmosphere = 0;
    gSaverSettings.Clouds = 1;
    gSaverSettings.SunPos = 4;
    gSaverSettings.ReliefExFactor = 10;
    gSaverSettings.AutoControl = 1;
    terraform = TerraformState{false, 0.0f, 0.0f, 0};
  }
  void TearDown() override {
    if (setUp) {
      ShutdownRenderer();
      setUp = false;
    }
    LoadFixture::TearDown();
  }

  // Loads the set and sets the scene up on the fixed-function back end; `adjust` may switch
  // capabilities off between reading them and the GL set-up, to take a fallback path.
  void StartScene(const std::function<void()>& adjust = {}) {
    WriteSet();
    const RenderBackEnd& backEnd = FixedFunctionBackEnd();
    ASSERT_TRUE(backEnd.startContext(OverlayHandles{nullptr, nullptr}, &gTestLimits));
    if (adjust) adjust();
    gTestLimits = GlRunLimits();
    Load();
    const RunConfig config = TestRunConfig();
    shadowsDrawn = InitRenderer(backEnd, config, map, kWidth, kHeight);
    quality = QualityLevel{shadowsDrawn, 0};
    setUp = true;
    SetupInitialView(cameras, config, map.ppd, kWidth, kHeight);
  }

  // The frame's request as the saver makes it from the camera state (one view of the window, or
  // the views given: the projection then encloses them), then RenderFrame.
  void RenderOneFrame(float seconds = 0.05f, const FrameViews* views = nullptr) {
    const float windowAspect = static_cast<float>(kWidth) / kHeight;
    FrameRequest request{};
    SetRequestScene(request, cameras, 10.0f, AdvanceTerraformLevel(terraform, seconds), quality);
    request.width = kWidth;
    request.height = kHeight;
    request.views = views ? *views : WholeWindowView(kWidth, kHeight, 24.0f, windowAspect);
    request.overlays = kNoOverlays;
    SetFrameMatrices(request);
    RenderFrame(request);
  }

  // Frames until the drawn slot carries the wanted terraform level (one frame of lag).
  void RenderFrames(int count, float seconds = 0.05f) {
    for (int i = 0; i < count; ++i) RenderOneFrame(seconds);
  }

  std::vector<uint8_t> Frame() { return GlReadPixels(0, 0, kWidth, kHeight); }

  // The slot drawn by the frame that was just rendered.
  static const MeshSlot& DrawnSlot() { return gMeshWorker.slots[1 - gMeshWorker.slotIndex]; }

  // A scene set up afresh after `adjust`, three still frames, and the last frame's pixels.
  std::vector<uint8_t> RenderFreshScene(const std::function<void()>& adjust = {}) {
    StartScene(adjust);
    RenderFrames(3, 0.0f);
    std::vector<uint8_t> pixels = Frame();
    ShutdownRenderer();
    setUp = false;
    FreeMapData(map);
    return pixels;
  }

  // Window position of a planet point at latitude, longitude (degrees) and height, with the
  // matrices of the frame that was just drawn (the camera does not move in these tests).
  // With a view given, where that view shows the point (its own viewport and shape).
  bool Project(float latitude, float longitude, float radius, double* x, double* y, const FrameView* view = nullptr) {
    GLdouble model[16], projection[16];
    GLint viewport[4] = {0, 0, kWidth, kHeight};
    const FrameRequest& drawn = gFrame.slotRequests[1 - gMeshWorker.slotIndex];
    for (int i = 0; i < 16; ++i) {
      model[i] = drawn.view.m[(i % 4) * 4 + i / 4];  // OpenGL's column order
      projection[i] = drawn.projection.m[(i % 4) * 4 + i / 4];
    }
    if (view) {
      const double cotangent = 1.0 / std::tan(view->fieldOfView * 0.5 * 3.14159265358979 / 180.0);
      projection[0] = cotangent / view->aspect;
      projection[5] = cotangent;
      const GLint place[4] = {view->x, view->y, view->width, view->height};
      std::copy(place, place + 4, viewport);
    }
    Vec3 p;
    SphereToVec3(p, SphereCoords{radius, latitude, longitude});
    GLdouble z;
    return gluProject(p.x, p.y, p.z, model, projection, viewport, x, y, &z) == GL_TRUE;
  }

  void SavePicture(const std::string& name) {
    const char* folder = std::getenv("REDSPHERE_PICTURES");
    if (!folder) return;
    std::filesystem::create_directories(folder);
    WritePng(std::string(folder) + "/" + name, Frame(), kWidth, kHeight);
  }

  bool setUp = false;
  bool shadowsDrawn = false;  // what InitRenderer allowed
  QualityLevel quality{};     // what the next frames are requested at (adaptive quality's level)
  CameraState cameras{};      // the initial view of the scene; the camera does not move
  TerraformState terraform{}; // the look's target and level, advanced by each frame's time
};

// Mean colour of a square of pixels around (x, y).
struct MeanColour {
  double r, g, b;
};
inline MeanColour MeanAround(const std::vector<uint8_t>& pixels, int width, int x, int y, int radius) {
  MeanColour sum{0, 0, 0};
  int n = 0;
  for (int j = y - radius; j <= y + radius; ++j)
    for (int i = x - radius; i <= x + radius; ++i) {
      const uint8_t* p = &pixels[(static_cast<size_t>(j) * width + i) * 4];
      sum.r += p[0];
      sum.g += p[1];
      sum.b += p[2];
      ++n;
    }
  return MeanColour{sum.r / n, sum.g / n, sum.b / n};
}
