// What the WebGL back end holds between frames: what the context offers, the programs, the
// buffers the slot is copied into each frame, the textures and the shadow target. One record,
// written by the back end's set-up and read by its passes, on the page's one thread.
#pragma once

#include <GLES2/gl2.h>

#include <cstdint>

#include "math/vector_math.h"
#include "mesh/mesh_slot.h"
#include "render/frame_request.h"
#include "render/web/webgl_programs.h"

enum WebGlBuffer : int32_t {
  kSlotPositions, kSlotNormals, kSlotColours, kSlotTexCoords, kStarPositions, kStarColours, kSunSquare,
  kMoonPositions, kMoonNormals, kMoonColours, kMoonIndices, kPlanetPoints, kWebGlBufferCount
};

struct WebGlState {
  // Read once when the context is made.
  bool webgl2;             // WebGL 2; else WebGL 1
  bool depthTextures;      // WebGL 2, or WebGL 1 with WEBGL_depth_texture: shadows can be drawn
  int32_t maxTextureSize;
  WebGlPrograms programs;
  // Made with the scene.
  GLuint buffers[kWebGlBufferCount];
  GLuint seaTexture, sunTexture, cloudTexture;  // cloudTexture 0 when the run draws no clouds
  GLuint shadowTexture, shadowFramebuffer;      // 0 without shadows
  int32_t shadowSize;
  uint32_t brightStars, dimStars;
  bool clouds, atmosphere;  // the run draws the cloud layer, the atmosphere shell
  uint32_t moonIndices;     // the moon mesh's index count; 0 when the run is not on the Mars clock
};

extern WebGlState gWebGl;

// Matrices made on the processor are rows; WebGL takes columns and may not transpose them itself.
void UniformRows(GLint location, const Mat4& rows);

// The passes (webgl_passes.cpp), each into the current viewport.
void WebGlSkyPass(const FrameView& view, const Mat4& cameraView, float spinAngle, const SpherePoint& sun,
                  const SkyBodies& sky);
// The surface (with its shadows when the slot was built for them), then the atmosphere.
void WebGlSurfacePass(const MeshSlot& slot, const FrameRequest& recorded, const FrameView& view);
// Depth from the sun into the shadow map, for the slot's visible surface and the sky's moons.
void WebGlShadowMap(const MeshSlot& slot, const SkyBodies& sky, int32_t width, int32_t height);

// The sky's bodies (webgl_sky_bodies.cpp): the moon mesh into its buffers, once with the scene;
// the planets' points with the sky's program and matrix current; the moons of one layer of a
// view; the moons' depth with the depth program current.
void MakeMoonBuffers();
void WebGlPlanets(const SkyBodies& sky);
void WebGlMoons(const FrameRequest& recorded, const FrameView& view, MoonLayer layer);
void WebGlMoonDepth(const SkyBodies& sky, const Mat4& lightMatrix);
