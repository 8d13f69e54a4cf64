// What the OpenGL implementation offers, read once from GLEW after the context is made current.
// Every pass reads this record instead of GLEW's flags, so tests can switch a feature off and
// exercise its fallback on the same implementation.
#pragma once

#include <cstdint>

#include "settings/run_config.h"

// Written by the window thread right after the context is made current (ReadGlCaps); read by the
// window thread afterwards, and by the mesh worker only through the values handed to it.
struct GlCaps {
  bool version12;          // texture level limits, GL_CLAMP_TO_EDGE, separate specular colour
  bool version13;          // multisampling, glActiveTexture
  bool version14;          // generated mipmaps, glWindowPos2i, depth textures: shadows need it
  bool version15;          // buffer objects
  bool version30;          // framebuffer objects through the core entry points
  bool extFramebuffer;     // GL_EXT_framebuffer_object, when 3.0 is absent
  int32_t maxTextureSize;  // GL_MAX_TEXTURE_SIZE
  int32_t maxRenderbufferSize;  // GL_MAX_RENDERBUFFER_SIZE with framebuffer objects, else 0
};

extern GlCaps gGlCaps;

// Fills gGlCaps from GLEW and GL_MAX_TEXTURE_SIZE; glewInit must have succeeded on the current
// context. Window thread.
void ReadGlCaps();

// What the run's configuration takes from the capabilities.
RunLimits GlRunLimits();
// Framebuffer objects through either entry-point family.
inline bool HaveFramebuffers() { return gGlCaps.version30 || gGlCaps.extFramebuffer; }
