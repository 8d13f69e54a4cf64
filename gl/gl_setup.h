// The GL plumbing of a run: the base state every pass starts from, the capabilities read when the
// context is made, and the objects that live from the renderer's set-up to its shutdown (buffer
// objects for the mesh slots and the stars, the shadow render target). The scene itself (mesh
// work, textures, the worker) is set up by the renderer (render/renderer.h).
#pragma once

#include <cstdint>

// The GL state every pass starts from, set when the window's context is made; also reads the
// capabilities (GLEW must be initialised on the current context). Window thread, before the run's
// configuration is resolved from them.
void SetBaseGlState();

// Buffer objects (OpenGL 1.5): stream storage of one slot's size and the static star arrays, which
// must already be built (gTextures). Nothing without buffer objects. Window thread.
void CreateGlObjects();
// The depth-only shadow target for a window of this size (with framebuffer objects; without them
// only its size is recorded, for the copy from the window's depth buffer). False, with nothing
// of it left, when the framebuffer is incomplete.
bool CreateShadowTarget(int32_t width, int32_t height);
// Deletes the buffer objects and the shadow target; harmless for what was never made.
void DeleteGlObjects();

// The shadow map's side for a window: the largest power of two not above twice the larger side.
int32_t ShadowMapSize(int32_t width, int32_t height);
// The largest power of two not above n (0 for n <= 0).
int32_t FloorPowerOfTwo(int32_t n);
