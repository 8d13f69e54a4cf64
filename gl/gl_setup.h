// GL set-up after the map data is loaded, and tear-down at window destruction: lighting, mesh
// work buffers and slots, textures and star arrays, buffer objects, the shadow target and the
// mesh worker thread.
#pragma once

#include <cstdint>

// The GL state every pass starts from, set when the window's context is made; also reads the
// capabilities (GLEW must be initialised on the current context) and hands the largest texture
// size to the loader. Window thread, before the loader starts.
void SetBaseGlState();

// Window thread, context current, once the loaded flag has been seen; width and height are the
// client size (both positive). Any failure ends the process with status 1.
void SetupGl(int32_t width, int32_t height);
// Window thread, at destruction, before FreeMapData; also safe when SetupGl never ran.
void TeardownGl();

// The shadow map's side for a window: the largest power of two not above twice the larger side.
int32_t ShadowMapSize(int32_t width, int32_t height);
// The largest power of two not above n (0 for n <= 0).
int32_t FloorPowerOfTwo(int32_t n);
