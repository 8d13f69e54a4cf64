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
    gTerraform = TerraformState{false, 0.0f};
  }
  void TearDown() override {
    if (setUp) {
      ShutdownRenderer();
      setUp = false;
    }
    LoadFixture::TearDown();
  }

  // Loads the set and sets the scene up; `adjust` may switch capabilities off between reading
  // them and the GL set-up, to take a fallback path.
  void StartScene(const std::function<void()>& adjust = {}) {
    WriteSet();
    SetBaseGlState();
    if (adjust) adjust();
    gTestLimits = GlRunLimits();
    Load();
    RunConfig config = TestRunConfig();
    InitRenderer(config, map, kWidth, kHeight);
    setUp = true;
    SetupInitialView(config, map.ppd, kWidth, kHeight);
  }

  // The saver's projection and camera view for this frame, then RenderFrame: one view of the
  // window, or the views given (the projection then encloses them, as the saver's does).
  void RenderOneFrame(float seconds = 0.05f, const FrameViews* views = nullptr) {
    const float windowAspect = static_cast<float>(kWidth) / kHeight;
    const FrameViews drawn = views ? *views : WholeWindowView(kWidth, kHeight, 24.0f, windowAspect);
    const FrameView enclosing = EnclosingView(drawn);
    CameraState& c = gCameraState;
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const float top = 3396000.0f + 10.0f * c.topHeight;
    const float d = c.camera.point.distance;
    const float nearPlane = std::max(1.0f, (d - top) * 0.6f);
    gluPerspective(enclosing.fieldOfView, enclosing.aspect, nearPlane, d + 0.5 * top);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const SpherePoint& p = c.camera.point;
    gluLookAt(p.x, p.y, p.z, p.x + 3375000.0 * c.camera.forward.x, p.y + 3375000.0 * c.camera.forward.y,
              p.z + 3375000.0 * c.camera.forward.z, c.camera.up.x, c.camera.up.y, c.camera.up.z);
    const GLfloat light[4] = {c.sun.x, c.sun.y, c.sun.z, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    RenderFrame(kWidth, kHeight, enclosing.fieldOfView, enclosing.aspect, seconds, c.spinAngle, c.camera, c.sun,
                drawn);
  }

  // Frames until the drawn slot carries the wanted terraform level (one frame of lag).
  void RenderFrames(int count, float seconds = 0.05f) {
    for (int i = 0; i < count; ++i) RenderOneFrame(seconds);
  }

  std::vector<uint8_t> Frame() { return GlReadPixels(0, 0, kWidth, kHeight); }

  // Window position of a planet point at latitude, longitude (degrees) and height, with the
  // matrices of the frame that was just drawn (the camera does not move in these tests).
  // With a view given, where that view shows the point (its own viewport and shape).
  bool Project(float latitude, float longitude, float radius, double* x, double* y, const FrameView* view = nullptr) {
    GLdouble model[16], projection[16];
    GLint viewport[4] = {0, 0, kWidth, kHeight};
    const MeshSlot& drawn = gMeshWorker.slots[1 - gMeshWorker.slotIndex];
    for (int i = 0; i < 16; ++i) {
      model[i] = drawn.viewMatrix[i];
      projection[i] = drawn.projectionMatrix[i];
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
