// The WebGL back end behind the renderer's seam: what the context offers, the scene's textures,
// star arrays, buffers and shadow target, a frame from a slot and its recorded request (copy,
// shadow map, then sky, surface and atmosphere in each view), the page's overlays and the frame
// read back for screenshots. Runs on the page's thread with the canvas's context current.
#include "render/web/webgl_back_end.h"

#include <GLES2/gl2.h>
#include <GLES2/gl2ext.h>
#include <emscripten/html5.h>

#include <cstdlib>
#include <cstring>

#include "mapdata/sky_sphere.h"
#include "mapdata/table_memory.h"
#include "platform/failure_report.h"
#include "settings/saver_settings.h"
#include "render/web/page_overlays.h"
#include "render/web/webgl_state.h"

WebGlState gWebGl{};

namespace {

constexpr GLenum kDepthComponent24 = 0x81A6;  // WebGL 2's sized depth format (GLES3/gl3.h)
constexpr int32_t kMaxShadowSize = 4096;

void ReadCaps() {
  WebGlState& s = gWebGl;
  const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_get_current_context();
  EmscriptenWebGLContextAttributes attributes;
  emscripten_webgl_get_context_attributes(context, &attributes);
  s.webgl2 = attributes.majorVersion >= 2;
  s.depthTextures = s.webgl2 || emscripten_webgl_enable_extension(context, "WEBGL_depth_texture");
  GLint size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
  s.maxTextureSize = size;
}

bool StartContext(const OverlayHandles&, RunLimits* limits) {
  ReadCaps();
  glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_CULL_FACE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  *limits = RunLimits{gWebGl.depthTextures, gWebGl.maxTextureSize, kWebTriangleShift};
  ShowPageBackEnd(gWebGl.webgl2 ? 2 : 1, gWebGl.depthTextures);
  return CreateWebGlPrograms(gWebGl.programs);
}

// The image wraps in longitude (S) but not over the poles (T).
GLuint MakeMipmappedTexture(const Colour* image, uint32_t width, uint32_t height) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0, GL_RGBA,
               GL_UNSIGNED_BYTE, image);
  glGenerateMipmap(GL_TEXTURE_2D);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  return name;
}

GLuint MakeSunTexture(const Colour* image) {
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSunImageSize, kSunImageSize, 0, GL_RGBA, GL_UNSIGNED_BYTE, image);
  return name;
}

void Release(Colour*& image) {
  TableRelease(image);
  image = nullptr;
}

void StaticBuffer(GLuint buffer, GLsizeiptr bytes, const void* data, GLenum usage) {
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferData(GL_ARRAY_BUFFER, bytes, data, usage);
}

// Textures from the map (each image released once uploaded), the star arrays and the slot's buffers.
void BuildScene(MapData& map, bool clouds) {
  WebGlState& s = gWebGl;
  s.seaTexture = MakeMipmappedTexture(map.seaImage, map.seaWidth, map.seaHeight);
  Release(map.seaImage);
  s.sunTexture = MakeSunTexture(map.sunImage);
  Release(map.sunImage);
  if (clouds && map.cloudImage) {
    s.cloudTexture = MakeMipmappedTexture(map.cloudImage, map.cloudWidth, map.cloudHeight);
    Release(map.cloudImage);
  }
  glBindTexture(GL_TEXTURE_2D, 0);

  glGenBuffers(kWebGlBufferCount, s.buffers);
  const uint32_t count = map.starCount;
  const StarArrays stars = MakeStarArrays(map.stars, count);
  StaticBuffer(s.buffers[kStarPositions], static_cast<GLsizeiptr>(count * 3 * sizeof(float)), stars.positions,
               GL_STATIC_DRAW);
  StaticBuffer(s.buffers[kStarColours], static_cast<GLsizeiptr>(count * sizeof(Colour)), stars.colours, GL_STATIC_DRAW);
  std::free(stars.positions);
  std::free(stars.colours);
  s.brightStars = map.brightCount;
  s.dimStars = map.dimCount;

  // Storage of one slot's size, refilled every frame with the ranges the passes draw.
  const GLsizeiptr triangles = static_cast<GLsizeiptr>(kSlotTriangles);
  StaticBuffer(s.buffers[kSlotPositions], triangles * kTrianglePositionBytes, nullptr, GL_STREAM_DRAW);
  StaticBuffer(s.buffers[kSlotNormals], triangles * kTrianglePositionBytes, nullptr, GL_STREAM_DRAW);
  StaticBuffer(s.buffers[kSlotColours], triangles * kTriangleColourBytes, nullptr, GL_STREAM_DRAW);
  StaticBuffer(s.buffers[kSlotTexCoords], static_cast<GLsizeiptr>(kSlotTexturedTriangles * kTriangleTexCoordBytes), nullptr,
               GL_STREAM_DRAW);
  StaticBuffer(s.buffers[kSunSquare], 20 * sizeof(float), nullptr, GL_DYNAMIC_DRAW);
  StaticBuffer(s.buffers[kPlanetPoints], kPlanetCount * 3 * sizeof(float), nullptr, GL_DYNAMIC_DRAW);
}

int32_t PowerOfTwoBelow(int32_t n) {
  int32_t power = 1;
  while (power <= n / 2) power *= 2;
  return power;
}

// A depth texture as the only attachment of a framebuffer; false when WebGL cannot complete it.
bool MakeShadowTarget(int32_t width, int32_t height) {
  WebGlState& s = gWebGl;
  int32_t size = PowerOfTwoBelow(2 * (width > height ? width : height));
  if (size > s.maxTextureSize) size = s.maxTextureSize;
  if (size > kMaxShadowSize) size = kMaxShadowSize;
  s.shadowSize = size;
  glGenTextures(1, &s.shadowTexture);
  glBindTexture(GL_TEXTURE_2D, s.shadowTexture);
  // Depth is read as a value and compared in the shader: unfiltered, as WebGL requires.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, s.webgl2 ? kDepthComponent24 : GL_DEPTH_COMPONENT, size, size, 0, GL_DEPTH_COMPONENT,
               GL_UNSIGNED_INT, nullptr);
  glGenFramebuffers(1, &s.shadowFramebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, s.shadowFramebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, s.shadowTexture, 0);
  const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  return status == GL_FRAMEBUFFER_COMPLETE;
}

void DeleteShadowTarget() {
  WebGlState& s = gWebGl;
  if (s.shadowFramebuffer) glDeleteFramebuffers(1, &s.shadowFramebuffer);
  if (s.shadowTexture) glDeleteTextures(1, &s.shadowTexture);
  s.shadowFramebuffer = s.shadowTexture = 0;
}

bool SetUpScene(const RunConfig& config, MapData& map, int32_t width, int32_t height) {
  gWebGl.clouds = config.clouds;
  gWebGl.atmosphere = config.atmosphere;
  BuildScene(map, config.clouds);
  gWebGl.moonIndices = 0;
  if (config.sunPosition == kSunPosNow) MakeMoonBuffers();
  bool shadows = config.shadows;
  if (shadows && !MakeShadowTarget(width, height)) {
    DeleteShadowTarget();
    shadows = false;
    ReportFailure("shadows are off: the shadow framebuffer is incomplete on this WebGL");
  }
  return shadows;
}

void Upload(GLuint buffer, GLintptr offset, GLsizeiptr bytes, const void* from) {
  if (bytes <= 0) return;
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  glBufferSubData(GL_ARRAY_BUFFER, offset, bytes, static_cast<const uint8_t*>(from) + offset);
}

// Only the ranges the passes read cross into WebGL, once a frame however many views draw the slot.
void UploadSlot(const MeshSlot& slot) {
  const MeshRanges& r = slot.ranges;
  const GLuint* b = gWebGl.buffers;
  // Byte counts of a slot fit 32 bits: 525,000 triangles of 36 bytes at most.
  auto bytes = [](uint32_t triangles, uint32_t perTriangle) { return static_cast<GLsizeiptr>(triangles * perTriangle); };
  const GLsizeiptr vertexBytes = bytes(r.total, kTrianglePositionBytes);
  Upload(b[kSlotPositions], 0, vertexBytes, slot.positions);
  Upload(b[kSlotNormals], 0, vertexBytes, slot.normals);
  Upload(b[kSlotColours], bytes(r.planetFirst, kTriangleColourBytes),
         bytes(r.total - r.waterCount - r.cloudCount, kTriangleColourBytes), slot.colours);
  Upload(b[kSlotTexCoords], bytes(r.waterFirst, kTriangleTexCoordBytes),
         bytes(r.waterCount + r.cloudCount, kTriangleTexCoordBytes), slot.texCoords);
}

// The caption on every view, the help on its view, the frame rate in its view's corner: the
// page's text over the canvas, which shows one view.
void DrawOverlays(const FrameRequest& request) {
  const FrameOverlays& o = request.overlays;
  ShowPageOverlays(o.loading, o.helpView >= 0, o.frameRateView >= 0 ? o.framesPerSecond : -1.0,
                   o.captionOpacity > 0.0f ? o.captionTitle : nullptr, o.captionFacts, o.captionOpacity);
}

void DrawFrame(const MeshSlot& slot, const FrameRequest& recorded, const FrameRequest& current, FrameTimings*) {
  glViewport(0, 0, current.width, current.height);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  UploadSlot(slot);
  if (slot.inputs.shadowed && gWebGl.shadowFramebuffer) WebGlShadowMap(slot, recorded.sky, current.width, current.height);
  glEnable(GL_SCISSOR_TEST);
  for (int32_t i = 0; i < recorded.views.count; ++i) {
    const FrameView& view = recorded.views.views[i];
    glViewport(view.x, view.y, view.width, view.height);
    glScissor(view.x, view.y, view.width, view.height);
    WebGlSkyPass(view, recorded.view, recorded.spinAngle, recorded.sun, recorded.sky);
    WebGlMoons(recorded, view, MoonLayer::Behind);
    WebGlSurfacePass(slot, recorded, view);
    WebGlMoons(recorded, view, MoonLayer::AmongGlobe);
    WebGlMoons(recorded, view, MoonLayer::InFront);
  }
  glDisable(GL_SCISSOR_TEST);
  glViewport(0, 0, current.width, current.height);
  DrawOverlays(current);
}

void DrawOverlaysOnly(const FrameRequest& request) {
  glViewport(0, 0, request.width, request.height);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  DrawOverlays(request);
}

// RGBA rows as WebGL reads them, turned into the bitmap layout the screenshots take.
bool ReadFrame(FramePixels& pixels) {
  if (pixels.width <= 0 || pixels.height <= 0 || !pixels.bgr) return false;
  const size_t rowBytes = (size_t{static_cast<uint32_t>(pixels.width)} * 3 + 3) & ~size_t{3};
  uint8_t* rgba = static_cast<uint8_t*>(std::malloc(size_t{static_cast<uint32_t>(pixels.width)} * 4 * pixels.height));
  if (!rgba) return false;
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, pixels.width, pixels.height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  for (int32_t y = 0; y < pixels.height; ++y)
    for (int32_t x = 0; x < pixels.width; ++x) {
      const uint8_t* from = rgba + (size_t{static_cast<uint32_t>(y)} * pixels.width + x) * 4;
      uint8_t* to = pixels.bgr + y * rowBytes + size_t{static_cast<uint32_t>(x)} * 3;
      to[0] = from[2], to[1] = from[1], to[2] = from[0];
    }
  std::free(rgba);
  return true;
}

void ShutDownScene() {
  WebGlState& s = gWebGl;
  if (s.buffers[0]) glDeleteBuffers(kWebGlBufferCount, s.buffers);
  std::memset(s.buffers, 0, sizeof s.buffers);
  glDeleteTextures(1, &s.seaTexture);
  glDeleteTextures(1, &s.sunTexture);
  glDeleteTextures(1, &s.cloudTexture);
  s.seaTexture = s.sunTexture = s.cloudTexture = 0;
  DeleteShadowTarget();
}

void EndContext() { DeleteWebGlPrograms(gWebGl.programs); }

constexpr RenderBackEnd kWebGl{StartContext, SetUpScene, DrawFrame, DrawOverlaysOnly, ReadFrame, ShutDownScene,
                               EndContext};

}  // namespace

const RenderBackEnd& WebGlBackEnd() { return kWebGl; }

void WebGlAddCloudLayer(MapData& map) {
  WebGlState& s = gWebGl;
  const bool sceneMade = s.buffers[kSlotPositions] != 0;
  if (!sceneMade || !s.clouds || s.cloudTexture != 0 || !map.cloudImage) return;
  s.cloudTexture = MakeMipmappedTexture(map.cloudImage, map.cloudWidth, map.cloudHeight);
  glBindTexture(GL_TEXTURE_2D, 0);
  Release(map.cloudImage);
}
