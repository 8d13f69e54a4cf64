// The fixed-function OpenGL back end: the scene's GL set-up, one frame from a slot and its
// recorded request (upload, shadow map, then sky, surface and atmosphere in each view), the
// overlays, and the frame read back for screenshots.
#include "render/fixed_function_back_end.h"

#include <GL/glew.h>

#include <chrono>

#include "gl/gl_caps.h"
#include "gl/gl_matrix.h"
#include "gl/gl_objects.h"
#include "gl/gl_setup.h"
#include "gl/overlays.h"
#include "gl/textures.h"
#include "platform/failure_report.h"
#include "settings/saver_settings.h"
#include "render/lighting.h"
#include "render/moon_pass.h"
#include "render/shadow_pass.h"
#include "render/sky_pass.h"
#include "render/surface_pass.h"

namespace {

// What the passes take from the run; window thread, set with the scene.
struct FixedFunctionScene {
  bool clouds;      // the run draws the cloud layer
  bool atmosphere;  // the run draws the atmosphere shell
  MoonMesh moonMesh;  // Phobos's and Deimos's shape, for a run on the Mars clock
};
FixedFunctionScene gScene{};

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

// With buffer objects only the ranges the passes read cross the bus: positions and normals of
// every group, colours of planet and atmosphere, texture coordinates of water and clouds. Once a
// frame, however many views draw the slot.
void UploadSlot(const MeshSlot& slot) {
  const MeshRanges& r = slot.ranges;
  const GLuint* buffers = gGlObjects.buffers;
  const GLsizeiptr vertexBytes = GLsizeiptr{r.total} * kTrianglePositionBytes;
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kPositionBuffer]);
  if (vertexBytes > 0) glBufferSubData(GL_ARRAY_BUFFER, 0, vertexBytes, slot.positions);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kNormalBuffer]);
  if (vertexBytes > 0) glBufferSubData(GL_ARRAY_BUFFER, 0, vertexBytes, slot.normals);

  const GLintptr colourOffset = GLintptr{r.planetFirst} * kTriangleColourBytes;
  const GLsizeiptr colourBytes = GLsizeiptr{r.total - r.waterCount - r.cloudCount} * kTriangleColourBytes;
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kColourBuffer]);
  if (colourBytes > 0)
    glBufferSubData(GL_ARRAY_BUFFER, colourOffset, colourBytes,
                    reinterpret_cast<const uint8_t*>(slot.colours) + colourOffset);

  const GLintptr texOffset = GLintptr{r.waterFirst} * kTriangleTexCoordBytes;
  const GLsizeiptr texBytes = GLsizeiptr{r.waterCount + r.cloudCount} * kTriangleTexCoordBytes;
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kTexCoordBuffer]);
  if (texBytes > 0)
    glBufferSubData(GL_ARRAY_BUFFER, texOffset, texBytes, reinterpret_cast<const uint8_t*>(slot.texCoords) + texOffset);
}

// The arrays pointed at the slot's mesh: the uploaded buffers, or the slot's memory without them.
// Again in every view, as the sky pass points them at the stars.
void PointAtSlot(const MeshSlot& slot) {
  if (!gGlCaps.version15) {
    glVertexPointer(3, GL_FLOAT, 0, slot.positions);
    glNormalPointer(GL_FLOAT, 0, slot.normals);
    glTexCoordPointer(2, GL_FLOAT, 0, slot.texCoords);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, slot.colours);
    return;
  }
  const GLuint* buffers = gGlObjects.buffers;
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kPositionBuffer]);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kNormalBuffer]);
  glNormalPointer(GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kColourBuffer]);
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kTexCoordBuffer]);
  glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
}

double Seconds(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

// The recorded camera view, with the recorded sun placed through it (OpenGL turns a light's
// position by the modelview matrix current when it is given).
void LoadCameraView(const FrameRequest& recorded) {
  glMatrixMode(GL_MODELVIEW);
  LoadRows(recorded.view);
  const SpherePoint& sun = recorded.sun;
  const GLfloat light[4] = {sun.x, sun.y, sun.z, 0.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, light);
}

// One view of the drawn slot, inside its viewport and scissor box: sky, surface, atmosphere, with
// the moons behind, among or in front of the globe.
void DrawView(const MeshSlot& slot, const FrameRequest& recorded, const FrameView& view) {
  glViewport(view.x, view.y, view.width, view.height);
  glScissor(view.x, view.y, view.width, view.height);
  glMatrixMode(GL_PROJECTION);
  LoadRows(ViewProjection(recorded, view));
  glDisableClientState(GL_NORMAL_ARRAY);
  SkyPass(view, recorded.view, recorded.spinAngle, recorded.sun, recorded.sky);
  glEnableClientState(GL_NORMAL_ARRAY);
  MoonPass(gScene.moonMesh, recorded, view, MoonLayer::Behind);
  PointAtSlot(slot);
  if (slot.inputs.shadowed) DrawShadowedSurface(slot, gScene.clouds, recorded.sky);
  else SurfacePass(slot, gScene.clouds);
  MoonPass(gScene.moonMesh, recorded, view, MoonLayer::AmongGlobe);
  PointAtSlot(slot);
  if (gScene.atmosphere) AtmospherePass(slot);
  MoonPass(gScene.moonMesh, recorded, view, MoonLayer::InFront);
}

OverlayArea AreaOf(const FrameView& view) { return OverlayArea{view.x, view.y, view.width, view.height, view.scale}; }

// The caption on every view, the help picture on its view, the frame rate in its view's corner.
void DrawOverlays(const FrameRequest& request) {
  const FrameOverlays& overlays = request.overlays;
  const FrameViews& views = request.views;
  for (int32_t i = 0; i < views.count; ++i) {
    const OverlayArea area = AreaOf(views.views[i]);
    if (overlays.loading) DrawLoadingText(area);
    if (overlays.captionOpacity > 0.0f)
      DrawCaption(area, overlays.captionTitle, overlays.captionFacts, overlays.captionOpacity);
  }
  if (overlays.helpView >= 0) DrawHelpScreen(AreaOf(views.views[overlays.helpView]));
  if (overlays.frameRateView >= 0)
    DrawFrameRate(AreaOf(views.views[overlays.frameRateView]), overlays.framesPerSecond);
}

bool StartContext(const OverlayHandles& handles, RunLimits* limits) {
  SetBaseGlState();
  *limits = GlRunLimits();
  return CreateOverlayResources(handles.module, handles.deviceContext);
}

bool SetUpScene(const RunConfig& config, MapData& map, int32_t width, int32_t height) {
  SetUpLighting();
  bool shadows = config.shadows;
  // A driver that cannot complete the depth-only framebuffer costs the shadows, not the saver.
  if (shadows && !CreateShadowTarget(width, height)) {
    shadows = false;
    ReportFailure("shadows are off: the shadow framebuffer is incomplete on this OpenGL");
  }
  if (shadows) glClientActiveTexture(GL_TEXTURE1);
  gScene = FixedFunctionScene{config.clouds, config.atmosphere, {}};
  if (config.sunPosition == kSunPosNow) gScene.moonMesh = MakeMoonMesh();
  BuildSceneTextures(map, config.clouds);
  CreateGlObjects();
  return shadows;
}

void DrawFrame(const MeshSlot& slot, const FrameRequest& recorded, const FrameRequest& current, FrameTimings* timings) {
  auto mark = std::chrono::steady_clock::now();
  LoadCameraView(recorded);
  // What lies outside every view is cleared here and never drawn.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  // A slot is drawn as it was recorded: adaptive quality may turn shadows off or on between slots.
  // The shadow pass takes the slot's texture coordinates on unit 1, the plain pass on unit 0, and
  // PointAtSlot points the active unit's array at them.
  if (gGlCaps.version13) glClientActiveTexture(slot.inputs.shadowed ? GL_TEXTURE1 : GL_TEXTURE0);
  if (gGlCaps.version15) UploadSlot(slot);
  if (timings) {
    glFinish();
    timings->uploadSeconds = Seconds(mark);
    mark = std::chrono::steady_clock::now();
  }
  if (slot.inputs.shadowed) {
    PointAtSlot(slot);
    RenderShadowMap(slot, gScene.clouds, current.width, current.height, recorded.sky, gScene.moonMesh);
  }
  glEnable(GL_SCISSOR_TEST);
  for (int32_t i = 0; i < recorded.views.count; ++i) DrawView(slot, recorded, recorded.views.views[i]);
  glDisable(GL_SCISSOR_TEST);
  glViewport(0, 0, current.width, current.height);
  if (timings) {
    glFinish();
    timings->drawSeconds = Seconds(mark);
  }
  DrawOverlays(current);
}

void DrawOverlaysOnly(const FrameRequest& request) {
  glClear(GL_COLOR_BUFFER_BIT);
  DrawOverlays(request);
}

bool ReadFrame(FramePixels& pixels) {
  if (pixels.width <= 0 || pixels.height <= 0 || !pixels.bgr) return false;
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, pixels.width, pixels.height, GL_BGR, GL_UNSIGNED_BYTE, pixels.bgr);
  return true;
}

void ShutDownScene() {
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  // Back to the resting unit, which the set-up moved for the shadow pass's coordinates.
  if (gGlCaps.version13) glClientActiveTexture(GL_TEXTURE0);
  gScene = FixedFunctionScene{};
  DeleteGlObjects();
  DeleteSceneTextures();
}

void EndContext() { FreeOverlayImages(); }

constexpr RenderBackEnd kFixedFunction{StartContext, SetUpScene, DrawFrame, DrawOverlaysOnly, ReadFrame, ShutDownScene,
                                       EndContext};

}  // namespace

const RenderBackEnd& FixedFunctionBackEnd() { return kFixedFunction; }
