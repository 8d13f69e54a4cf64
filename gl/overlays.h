// The flat overlays drawn over the window: "Loading..." while the map data loads, the help
// picture of the manual-control keys and the frame rate. The bitmap font and the help pixels are made once at
// window creation by the platform side (gl/win32/, gl/linux/); the drawing here is shared.
#pragma once

#include <GL/glew.h>

#include <cstdint>

#include "resources/pictures.h"

// Written by CreateOverlayResources and FreeOverlayImages on the window thread; read by the draw
// operations on the same thread, with the window's OpenGL context current.
struct OverlayState {
  GLuint fontListBase;  // first of kFontGlyphCount display lists, list = base + character code
  uint8_t* helpImage;   // kHelpImageBytes: B, G, R, A, first row at the bottom; null when freed
};

extern OverlayState gOverlays;

// Platform handles as plain pointers, so this header needs no system header. Windows: the module
// instance (HINSTANCE) that holds bitmap 107 and the window's device context (HDC). The Linux
// program carries its pictures in itself and passes nullptr for both.
using ModuleHandle = void*;
using DeviceContextHandle = void*;

// Copies the help picture into newly allocated memory and makes the font's display lists, with
// the window's context current. False when the picture cannot be loaded or its memory cannot be
// had; the saver window then fails its creation. Implemented in gl/win32/ and gl/linux/.
bool CreateOverlayResources(ModuleHandle module, DeviceContextHandle deviceContext);

// A part of the window that shows one monitor: pixels from the window's bottom-left corner and the
// monitor's pixel scale (1 at 96 dots per inch, 2 at 192).
struct OverlayArea {
  int32_t x, y, width, height;
  float scale;
};

// "Loading..." centred in the area. Leaves lighting, depth test and depth writes on.
void DrawLoadingText(const OverlayArea& area);

// The help picture centred in the area and blended over the frame. Leaves lighting, depth test and
// depth writes on and blending off.
void DrawHelpScreen(const OverlayArea& area);

// "FPS: 29.9" in the area's bottom-left corner, light on a dark shadow so it reads over any ground.
// Leaves lighting, depth test and depth writes on.
void DrawFrameRate(const OverlayArea& area, double framesPerSecond);

// Releases the help pixels (at window destruction, after FreeMapData); the font lists go with the
// context.
void FreeOverlayImages();
