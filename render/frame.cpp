// RenderFrame: the hand-over with the mesh worker, the upload of the drawn slot and the passes.
#include "render/frame.h"

#include <GL/glew.h>

#include <chrono>
#include <cstring>

#include "camera/control_step.h"
#include "camera/terraform.h"
#include "gl/gl_caps.h"
#include "gl/gl_objects.h"
#include "mesh/mesh_worker.h"
#include "render/shadow_pass.h"
#include "render/sky_pass.h"
#include "render/surface_pass.h"

FrameState gFrame{};

namespace {

// With buffer objects only the ranges the passes read cross the bus: positions and normals of
// every group, colours of planet and atmosphere, texture coordinates of water and clouds.
void UploadSlot(const MeshSlot& slot) {
  const MeshRanges& r = slot.ranges;
  const GLuint* buffers = gGlObjects.buffers;
  const GLsizeiptr vertexBytes = GLsizeiptr{r.total} * kTrianglePositionBytes;
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kPositionBuffer]);
  if (vertexBytes > 0) glBufferSubData(GL_ARRAY_BUFFER, 0, vertexBytes, slot.positions);
  glVertexPointer(3, GL_FLOAT, 0, nullptr);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kNormalBuffer]);
  if (vertexBytes > 0) glBufferSubData(GL_ARRAY_BUFFER, 0, vertexBytes, slot.normals);
  glNormalPointer(GL_FLOAT, 0, nullptr);

  const GLintptr colourOffset = GLintptr{r.planetFirst} * kTriangleColourBytes;
  const GLsizeiptr colourBytes = GLsizeiptr{r.total - r.waterCount - r.cloudCount} * kTriangleColourBytes;
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kColourBuffer]);
  if (colourBytes > 0)
    glBufferSubData(GL_ARRAY_BUFFER, colourOffset, colourBytes,
                    reinterpret_cast<const uint8_t*>(slot.colours) + colourOffset);
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, nullptr);

  const GLintptr texOffset = GLintptr{r.waterFirst} * kTriangleTexCoordBytes;
  const GLsizeiptr texBytes = GLsizeiptr{r.waterCount + r.cloudCount} * kTriangleTexCoordBytes;
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kTexCoordBuffer]);
  if (texBytes > 0)
    glBufferSubData(GL_ARRAY_BUFFER, texOffset, texBytes, reinterpret_cast<const uint8_t*>(slot.texCoords) + texOffset);
  glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
}

void PointAtSlot(const MeshSlot& slot) {
  glVertexPointer(3, GL_FLOAT, 0, slot.positions);
  glNormalPointer(GL_FLOAT, 0, slot.normals);
  glTexCoordPointer(2, GL_FLOAT, 0, slot.texCoords);
  glColorPointer(4, GL_UNSIGNED_BYTE, 0, slot.colours);
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

}  // namespace

void RenderFrame(int32_t width, int32_t height, float fieldOfView, float aspect, float frameSeconds, float spinAngle,
                 const CameraPose& camera, const SpherePoint& sun) {
  MeshWorkerState& worker = gMeshWorker;
  const RunConfig& config = gFrame.config;

  FrameTimings* timings = gFrame.timings;
  auto mark = std::chrono::steady_clock::now();
  WaitMeshReady();
  if (timings) timings->waitSeconds = Seconds(mark);
  const uint32_t drawn = worker.slotIndex, filled = 1 - drawn;
  MeshSlot& draw = worker.slots[drawn];
  MeshSlot& next = worker.slots[filled];

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
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  SkyPass(draw.fieldOfView, draw.aspect, draw.spinAngle, draw.lightPosition);

  double skySeconds = 0.0;
  if (timings) {
    glFinish();
    skySeconds = Seconds(mark);
    mark = std::chrono::steady_clock::now();
  }
  // A slot is drawn as it was recorded: adaptive quality may turn shadows off or on between slots.
  // The shadow pass takes the slot's texture coordinates on unit 1, the plain pass on unit 0, and
  // the upload points the active unit's array at them.
  if (config.shadows) glClientActiveTexture(draw.shadowed ? GL_TEXTURE1 : GL_TEXTURE0);
  if (gGlCaps.version15) UploadSlot(draw);
  else PointAtSlot(draw);
  glEnableClientState(GL_NORMAL_ARRAY);
  if (timings) {
    glFinish();
    timings->uploadSeconds = Seconds(mark);
    mark = std::chrono::steady_clock::now();
  }

  if (draw.shadowed) ShadowPass(draw, config.clouds, width, height);
  else SurfacePass(draw, config.clouds);
  if (config.atmosphere) AtmospherePass(draw);
  if (timings) {
    glFinish();
    timings->drawSeconds = skySeconds + Seconds(mark);
  }

  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
}
