// The capabilities record and the one place that reads GLEW's version and extension flags.
#include "gl/gl_caps.h"

#include <GL/glew.h>

GlCaps gGlCaps{};

void ReadGlCaps() {
  GlCaps& caps = gGlCaps;
  caps.version12 = GLEW_VERSION_1_2;
  caps.version13 = GLEW_VERSION_1_3;
  caps.version14 = GLEW_VERSION_1_4;
  caps.version15 = GLEW_VERSION_1_5;
  caps.version30 = GLEW_VERSION_3_0;
  caps.extFramebuffer = GLEW_EXT_framebuffer_object;
  GLint size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
  caps.maxTextureSize = size;
  GLint renderbuffer = 0;
  if (HaveFramebuffers()) glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
  caps.maxRenderbufferSize = renderbuffer;
}

RunLimits GlRunLimits() { return RunLimits{gGlCaps.version14, gGlCaps.maxTextureSize, 0}; }
