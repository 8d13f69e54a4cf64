// The flat overlays drawn over the window: "Loading..." while the map data loads, the help
// picture of the manual-control keys, the frame rate and short lines of text. Each is drawn into
// the part of the window that shows one monitor, with the font and pictures of that monitor's
// pixel scale (1x or 2x), so it keeps its size on the screen and stays crisp. The fonts and help
// pixels are made once at window creation by the platform side (gl/win32/, gl/linux/); the
// drawing here is shared.
#pragma once

#include <GL/glew.h>

#include <cstdint>

#include "resources/pictures.h"

// A part of the window that shows one monitor: pixels from the window's bottom-left corner and the
// monitor's pixel scale (1 at 96 dots per inch, 2 at 192).
struct OverlayArea {
  int32_t x, y, width, height;
  float scale;
};

// The set of pictures and font an area uses: 2x from a scale of 1.5 up, else 1x. Pixels are never
// stretched (glPixelZoom would blur or block them), so a scale between the two sets shows the
// overlays a little smaller or larger than at 96 or 192 dots per inch.
OverlayScale OverlayScaleOf(const OverlayArea& area);

// One overlay font, made at creation for one scale.
struct OverlayFont {
  GLuint listBase;                     // first of kFontGlyphCount display lists, list = base + character code
  int32_t advances[kFontGlyphCount];   // pixels the pen moves after each character
};

// Written by CreateOverlayResources and FreeOverlayImages on the window thread; read by the draw
// operations on the same thread, with the window's OpenGL context current. Indexed by OverlayScale.
struct OverlayState {
  OverlayFont fonts[kOverlayScaleCount];
  uint8_t* helpImages[kOverlayScaleCount];  // HelpImageBytesAt(scale): B, G, R, A, first row at the
                                            // bottom; null when freed
};

extern OverlayState gOverlays;

// Platform handles as plain pointers, so this header needs no system header. Windows: the module
// instance (HINSTANCE) that holds bitmaps 107 and 108 and the window's device context (HDC). The
// Linux program carries its pictures in itself and passes nullptr for both.
using ModuleHandle = void*;
using DeviceContextHandle = void*;

// Copies the help picture of each scale into newly allocated memory and makes each scale's font
// lists, with the window's context current. False when a picture cannot be loaded or its memory
// cannot be had (what was made is freed again); the saver then fails its creation.
// Implemented in gl/win32/ and gl/linux/.
bool CreateOverlayResources(ModuleHandle module, DeviceContextHandle deviceContext);

// Every overlay below draws only inside its area (the scissor test clips it there) and leaves
// lighting, depth test and depth writes on and blending and the scissor test off. With OpenGL 1.4
// the viewport and matrices stay as they were; without it they are set for the area and not
// restored (the next frame sets its own).

// "Loading..." centred in the area.
void DrawLoadingText(const OverlayArea& area);

// The help picture centred in the area and blended over the frame.
void DrawHelpScreen(const OverlayArea& area);

// "FPS: 29.9" in the area's bottom-left corner, as DrawOverlayText draws it.
void DrawFrameRate(const OverlayArea& area, double framesPerSecond);

struct OverlayColour {
  uint8_t r, g, b;
};

// One line of text (character codes 0 ... 254) with its pen starting at (x, y) on the baseline, in
// the area's own pixels from its bottom-left corner (real pixels: at scale 2 the font is twice as
// many pixels tall), in the colour over a dark shadow so it reads over bright and dark ground.
void DrawOverlayText(const OverlayArea& area, int32_t x, int32_t y, const char* text, OverlayColour colour);

// The pixels DrawOverlayText's pen moves for the text in the area, the shadow not counted.
int32_t OverlayTextWidth(const OverlayArea& area, const char* text);

// The font's character height in the area's pixels (28 at 1x, 56 at 2x): the spacing for lines.
int32_t OverlayTextHeight(const OverlayArea& area);

// A caption near the bottom of the area, centred: the title over a line of facts (both in the
// font's code page 1252 bytes; the facts wrap at spaces onto up to three lines, at most nine
// tenths of the area wide) on a dark translucent panel, so it reads over bright and dark
// ground; opacity 0..1 fades panel and text together. Leaves lighting, depth test and depth writes
// on, blending and the scissor test off, and face culling on.
void DrawCaption(const OverlayArea& area, const char* title, const char* facts, float opacity);

// Releases the help pixels of both scales (at window destruction, after FreeMapData); the font
// lists go with the context.
void FreeOverlayImages();
