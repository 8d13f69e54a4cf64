// InitRenderer and ShutdownRenderer, in the order the passes and the worker rely on.
#include "render/renderer.h"

#include <GL/glew.h>

#include "camera/control_step.h"
#include "gl/gl_caps.h"
#include "gl/gl_setup.h"
#include "gl/textures.h"
#include "mesh/mesh_worker.h"
#include "platform/failure_report.h"
#include "render/frame.h"
#include "render/lighting.h"

namespace {

void SetUpLighting() {
  glEnable(GL_LIGHTING);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
  const GLfloat black[4] = {0, 0, 0, 1}, white[4] = {1, 1, 1, 1};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
  PlainLight();
  glLightfv(GL_LIGHT0, GL_SPECULAR, white);
  glEnable(GL_LIGHT0);
  glEnable(GL_COLOR_MATERIAL);
  glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
}

// The first frame draws slot 0 before any build. Its view is the identity, which is the start
// camera's orientation (looking down -z, +y up); with the window's field of view the sky pass
// then shows the stars the first scene frame will show, and with the relief factor the shadow
// pass gets a valid, if empty, box instead of glOrtho of zero size.
void PrepareFirstSlot(const RunConfig& config, int32_t width, int32_t height) {
  MeshSlot& first = gMeshWorker.slots[0];
  first.aspect = static_cast<float>(width) / static_cast<float>(height);
  first.fieldOfView = FieldOfViewFor(config, first.aspect);
  first.reliefFactor = gInput.reliefTarget;
  first.shadowed = config.shadows;
}

}  // namespace

void InitRenderer(RunConfig& config, MapData& map, int32_t width, int32_t height) {
  SetUpLighting();
  // First, so the configuration is final before the worker and the passes get their copies: a
  // driver that cannot complete the depth-only framebuffer costs the shadows, not the saver.
  if (config.shadows && !CreateShadowTarget(width, height)) {
    config.shadows = false;
    ReportFailure("shadows are off: the shadow framebuffer is incomplete on this OpenGL");
  }
  if (config.shadows) glClientActiveTexture(GL_TEXTURE1);
  gFrame.config = config;
  gFrame.quality = QualityLevel{config.shadows, 0};
  gFrame.slotViews[0].count = gFrame.slotViews[1].count = 0;  // no slot has been filled for views yet
  gInput.reliefTarget = config.reliefFactor;
  // Work buffers, palette, both slots' arrays and the empty slot 0 with identity matrices.
  SetupMeshWork(config, map);
  PrepareFirstSlot(config, width, height);
  BuildSceneTextures(map, config.clouds);
  CreateGlObjects();
  StartMeshWorker();
}

void ShutdownRenderer() {
  StopMeshWorker();
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  // Back to the resting unit, which InitRenderer moved for the shadow pass's coordinates.
  if (gGlCaps.version13) glClientActiveTexture(GL_TEXTURE0);
  gFrame.config = RunConfig{};
  DeleteGlObjects();
  ReleaseMeshWork();
  DeleteSceneTextures();
}

void ApplyQualityLevel(const QualityLevel& level) {
  gFrame.quality = QualityLevel{level.shadows && gFrame.config.shadows, level.limitShift};
}
