// The GL plumbing of a run: the base state and capabilities when the context is made, and the
// objects that live from the renderer's set-up to its shutdown (buffer objects, shadow target).
#include "gl/gl_setup.h"

#include <GL/glew.h>

#include "gl/gl_caps.h"
#include "gl/gl_objects.h"
#include "gl/textures.h"
#include "mesh/mesh_slot.h"

GlObjects gGlObjects{};

namespace {

constexpr GLsizeiptr kPositionBytes = GLsizeiptr{kSlotTriangles} * kTrianglePositionBytes;
constexpr GLsizeiptr kColourBytes = GLsizeiptr{kSlotTriangles} * kTriangleColourBytes;
constexpr GLsizeiptr kTexCoordBytes = GLsizeiptr{kSlotTexturedTriangles} * kTriangleTexCoordBytes;

void CreateBuffers() {
  GLuint* buffers = gGlObjects.buffers;
  glGenBuffers(kGlBufferCount, buffers);
  // Stream storage of one slot's size, refilled every frame with the ranges the passes draw.
  const GLsizeiptr sizes[4] = {kPositionBytes, kPositionBytes, kColourBytes, kTexCoordBytes};
  for (int i = kPositionBuffer; i <= kTexCoordBuffer; ++i) {
    glBindBuffer(GL_ARRAY_BUFFER, buffers[i]);
    glBufferData(GL_ARRAY_BUFFER, sizes[i], nullptr, GL_STREAM_DRAW);
    if (i == kColourBuffer) glColorPointer(4, GL_UNSIGNED_BYTE, 0, nullptr);
  }
  const GLsizeiptr stars = gTextures.brightCount + gTextures.dimCount;
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kStarPositionBuffer]);
  glBufferData(GL_ARRAY_BUFFER, stars * 12, gTextures.starPositions, GL_STATIC_DRAW);
  glBindBuffer(GL_ARRAY_BUFFER, buffers[kStarColourBuffer]);
  glBufferData(GL_ARRAY_BUFFER, stars * 4, gTextures.starColours, GL_STATIC_DRAW);
}

void BindWindowFramebuffer() {
  if (gGlCaps.version30) glBindFramebuffer(GL_FRAMEBUFFER, 0);
  else glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
}

void DeleteShadowTarget() {
  GlObjects& objects = gGlObjects;
  if (objects.ShadowDepthTexture) glDeleteTextures(1, &objects.ShadowDepthTexture);
  if (objects.ShadowFramebuffer) {
    if (gGlCaps.version30) glDeleteFramebuffers(1, &objects.ShadowFramebuffer);
    else if (gGlCaps.extFramebuffer) glDeleteFramebuffersEXT(1, &objects.ShadowFramebuffer);
  }
  objects.ShadowDepthTexture = objects.ShadowFramebuffer = 0;
}

// False when the framebuffer is incomplete.
bool MakeShadowTarget(int32_t width, int32_t height) {
  GlObjects& objects = gGlObjects;
  int32_t size = ShadowMapSize(width, height);
  objects.shadowWidth = objects.shadowHeight = size;
  if (!HaveFramebuffers()) return true;  // the shadow pass copies depth from the window instead

  const int32_t maxRenderbuffer = gGlCaps.maxRenderbufferSize;
  const int32_t limit = maxRenderbuffer < gGlCaps.maxTextureSize ? maxRenderbuffer : gGlCaps.maxTextureSize;
  if (size > limit) size = limit;
  objects.shadowWidth = objects.shadowHeight = size;

  glGenTextures(1, &objects.ShadowDepthTexture);
  glBindTexture(GL_TEXTURE_2D, objects.ShadowDepthTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, size, size, 0, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
  GLenum status;
  if (gGlCaps.version30) {
    glGenFramebuffers(1, &objects.ShadowFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, objects.ShadowFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, objects.ShadowDepthTexture, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
  } else {
    glGenFramebuffersEXT(1, &objects.ShadowFramebuffer);
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, objects.ShadowFramebuffer);
    glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D, objects.ShadowDepthTexture, 0);
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    status = glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
  }
  BindWindowFramebuffer();
  return status == GL_FRAMEBUFFER_COMPLETE;
}

}  // namespace

int32_t FloorPowerOfTwo(int32_t n) {
  if (n <= 0) return 0;
  int32_t power = 1;
  while (power <= n / 2) power *= 2;
  return power;
}

int32_t ShadowMapSize(int32_t width, int32_t height) {
  return FloorPowerOfTwo(2 * (width > height ? width : height));
}

void SetBaseGlState() {
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_NORMALIZE);
  glShadeModel(GL_SMOOTH);
  ReadGlCaps();
  if (gGlCaps.version13) glEnable(GL_MULTISAMPLE);
  glEnable(GL_CULL_FACE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  // Sharper textures at the grazing angles of the limb.
  glTexEnvf(GL_TEXTURE_FILTER_CONTROL, GL_TEXTURE_LOD_BIAS, -1.5f);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

void CreateGlObjects() {
  if (gGlCaps.version15) CreateBuffers();
}

bool CreateShadowTarget(int32_t width, int32_t height) {
  if (MakeShadowTarget(width, height)) return true;
  DeleteShadowTarget();
  return false;
}

void DeleteGlObjects() {
  GlObjects& objects = gGlObjects;
  if (gGlCaps.version15 && objects.buffers[0] != 0) glDeleteBuffers(kGlBufferCount, objects.buffers);
  DeleteShadowTarget();
  objects = GlObjects{};
}
