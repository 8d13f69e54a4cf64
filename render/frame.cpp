// RenderFrame: the hand-over with the mesh worker, the upload of the drawn slot and the passes.
#include "render/frame.h"

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "camera/control_step.h"
#include "camera/terraform.h"
#include "gl/gl_caps.h"
#include "gl/gl_objects.h"
#include "math/vector_math.h"
#include "mesh/mesh_worker.h"
#include "render/shadow_pass.h"
#include "render/sky_pass.h"
#include "render/surface_pass.h"

FrameState gFrame{};

namespace {

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

// The caller's matrices and this frame's sun, kept with the slot the worker builds next.
void RecordMatrices(MeshSlot& next, const CameraPose& camera, const SpherePoint& sun, bool shadows) {
  glGetFloatv(GL_MODELVIEW_MATRIX, next.viewMatrix);
  glGetFloatv(GL_PROJECTION_MATRIX, next.projectionMatrix);
  next.lightPosition[0] = sun.x;
  next.lightPosition[1] = sun.y;
  next.lightPosition[2] = sun.z;
  next.lightPosition[3] = 0.0f;
  next.shadowed = shadows;
  if (shadows) UpdateLightView(next, camera, sun);
}

// The drawn slot's matrices in place of the caller's (pushed, restored at the frame's end).
void LoadSlotMatrices(const MeshSlot& draw) {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadMatrixf(draw.viewMatrix);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadMatrixf(draw.projectionMatrix);
  // The light position goes through the modelview matrix: the drawn slot's view places it.
  glLightfv(GL_LIGHT0, GL_POSITION, draw.lightPosition);
}

// The slot's projection reshaped for one view: the same near and far planes, the view's field of
// view and aspect. A view of the slot's own shape takes the recorded matrix as it is.
void LoadViewProjection(const MeshSlot& slot, const FrameView& view) {
  GLfloat m[16];
  std::memcpy(m, slot.projectionMatrix, sizeof m);
  if (view.fieldOfView != slot.fieldOfView || view.aspect != slot.aspect) {
    const double cotangent = 1.0 / std::tan(view.fieldOfView * 0.5 * kDegToRad);
    m[0] = static_cast<GLfloat>(cotangent / view.aspect);
    m[5] = static_cast<GLfloat>(cotangent);
  }
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixf(m);
}

// One view of the drawn slot, inside its viewport and scissor box: sky, surface, atmosphere.
void DrawView(const MeshSlot& draw, const FrameView& view, const RunConfig& config) {
  glViewport(view.x, view.y, view.width, view.height);
  glScissor(view.x, view.y, view.width, view.height);
  LoadViewProjection(draw, view);
  glDisableClientState(GL_NORMAL_ARRAY);
  SkyPass(view.fieldOfView, view.aspect, draw.spinAngle, draw.lightPosition);
  PointAtSlot(draw);
  glEnableClientState(GL_NORMAL_ARRAY);
  if (draw.shadowed) DrawShadowedSurface(draw, config.clouds);
  else SurfacePass(draw, config.clouds);
  if (config.atmosphere) AtmospherePass(draw);
}

// The views a slot is drawn into: those it was filled for; the first slot, never filled, takes
// this frame's.
const FrameViews& DrawnViews(uint32_t drawn, const FrameViews& current) {
  const FrameViews& recorded = gFrame.slotViews[drawn];
  return recorded.count > 0 ? recorded : current;
}

}  // namespace

FrameView EnclosingView(const FrameViews& views) {
  double tanHigh = 0.0, tanWide = 0.0;  // half-extents at unit distance
  for (int32_t i = 0; i < views.count; ++i) {
    const double t = std::tan(views.views[i].fieldOfView * 0.5 * kDegToRad);
    tanHigh = std::max(tanHigh, t);
    tanWide = std::max(tanWide, t * views.views[i].aspect);
  }
  for (int32_t i = 0; i < views.count; ++i) {
    const FrameView& v = views.views[i];
    const double t = std::tan(v.fieldOfView * 0.5 * kDegToRad);
    if (t >= tanHigh && t * v.aspect >= tanWide) return v;
  }
  FrameView enclosing = views.views[0];
  enclosing.fieldOfView = static_cast<float>(2.0 * std::atan(tanHigh) / kDegToRad);
  enclosing.aspect = static_cast<float>(tanWide / tanHigh);
  return enclosing;
}

void RenderFrame(int32_t width, int32_t height, float fieldOfView, float aspect, float frameSeconds, float spinAngle,
                 const CameraPose& camera, const SpherePoint& sun, const FrameViews& views) {
  MeshWorkerState& worker = gMeshWorker;
  const RunConfig& config = gFrame.config;

  FrameTimings* timings = gFrame.timings;
  auto mark = std::chrono::steady_clock::now();
  WaitMeshReady();
  if (timings) timings->waitSeconds = Seconds(mark);
  const uint32_t drawn = worker.slotIndex, filled = 1 - drawn;
  MeshSlot& draw = worker.slots[drawn];
  MeshSlot& next = worker.slots[filled];
  const FrameViews& drawViews = DrawnViews(drawn, views);

  next.fieldOfView = fieldOfView;
  next.aspect = aspect;
  next.spinAngle = spinAngle;
  next.reliefFactor = gInput.reliefTarget;
  worker.camera = camera;
  gFrame.sun = sun;
  next.terraformLevel = AdvanceTerraformLevel(frameSeconds);
  next.limitShift = gFrame.quality.limitShift;
  RecordMatrices(next, camera, sun, gFrame.quality.shadows);
  LoadSlotMatrices(draw);

  // From here the worker builds the other slot; this frame reads only the drawn one.
  RequestMeshBuild(filled);

  if (timings) mark = std::chrono::steady_clock::now();
  // What lies outside every view is cleared here and never drawn.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  // A slot is drawn as it was recorded: adaptive quality may turn shadows off or on between slots.
  // The shadow pass takes the slot's texture coordinates on unit 1, the plain pass on unit 0, and
  // PointAtSlot points the active unit's array at them.
  if (config.shadows) glClientActiveTexture(draw.shadowed ? GL_TEXTURE1 : GL_TEXTURE0);
  if (gGlCaps.version15) UploadSlot(draw);
  if (timings) {
    glFinish();
    timings->uploadSeconds = Seconds(mark);
    mark = std::chrono::steady_clock::now();
  }
  if (draw.shadowed) {
    PointAtSlot(draw);
    RenderShadowMap(draw, config.clouds, width, height);
  }
  glEnable(GL_SCISSOR_TEST);
  for (int32_t i = 0; i < drawViews.count; ++i) DrawView(draw, drawViews.views[i], config);
  glDisable(GL_SCISSOR_TEST);
  glViewport(0, 0, width, height);
  if (timings) {
    glFinish();
    timings->drawSeconds = Seconds(mark);
  }
  gFrame.slotViews[filled] = views;

  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
}
