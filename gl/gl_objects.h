// The OpenGL objects that live from GL set-up to tear-down besides the textures: the buffer
// objects shared by both mesh slots and the stars, and the shadow render target.
#pragma once

#include <GL/glew.h>

#include <cstdint>

enum GlBuffer : int {
  kPositionBuffer,      // one slot's positions, streamed every frame
  kNormalBuffer,        // one slot's normals
  kColourBuffer,        // one slot's colours
  kTexCoordBuffer,      // one slot's texture coordinates
  kStarPositionBuffer,  // static
  kStarColourBuffer,    // static
  kGlBufferCount
};

// Written by the window thread in InitRenderer and ShutdownRenderer; read by the passes on the same
// thread. Names are 0 until made (and stay 0 where the implementation lacks the feature).
struct GlObjects {
  GLuint buffers[kGlBufferCount];  // with OpenGL 1.5 only
  GLuint ShadowDepthTexture;       // with shadows in use and framebuffer objects
  GLuint ShadowFramebuffer;
  int32_t shadowWidth;             // shadow map size in texels (recorded also without framebuffers)
  int32_t shadowHeight;
};

extern GlObjects gGlObjects;
