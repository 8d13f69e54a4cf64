// The overlays, drawn at a window position in pixels either with glWindowPos2i (OpenGL 1.4) or
// through an orthographic projection over the area and glRasterPos2i, clipped to their area, with
// the font and pictures of the area's scale.
#include "gl/overlays.h"

#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gl/gl_caps.h"

OverlayState gOverlays{};

namespace {

constexpr char kLoadingText[] = "Loading...";
constexpr GLsizei kLoadingLength = sizeof(kLoadingText) - 1;
constexpr OverlayColour kLoadingColour{200, 100, 50};
constexpr OverlayColour kFrameRateColour{255, 255, 255};
constexpr OverlayColour kShadowColour{0, 0, 0};
constexpr int32_t kFrameRateMargin = 8;  // 1x pixels from the area's left and bottom edges
constexpr int32_t kShadowOffset = 2;     // 1x pixels right of and below the text

// Sets the raster position to window pixel (x, y), origin bottom-left.
void PlaceRasterPosition(const OverlayArea& area, int32_t x, int32_t y) {
  if (gGlCaps.version14) {
    glWindowPos2i(x, y);
    return;
  }
  // Without 1.4 the matrices and the viewport are left as set here: the next frame sets its own.
  // The viewport covers the area and the projection maps area pixels onto it, so area pixel
  // (x - area.x, y - area.y) is window pixel (x, y). A position left of or below the area is
  // outside this volume, so the raster position is invalid and nothing is drawn.
  glViewport(area.x, area.y, area.width, area.height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0, area.width, 0, area.height);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRasterPos2i(x - area.x, y - area.y);
}

// Every overlay draws flat over the scene: no lighting, no depth test, and no depth writes that
// would hide the next frame's geometry. The scissor keeps it inside its area: glBitmap and
// glDrawPixels are clipped by the window only, not by the viewport, and a picture wider than its
// monitor would reach into the next one.
void BeginOverlay(const OverlayArea& area) {
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
  glEnable(GL_SCISSOR_TEST);
  glScissor(area.x, area.y, area.width, area.height);
}

void EndOverlay() {
  glDisable(GL_SCISSOR_TEST);
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
}

// The text's characters through the scale's font lists from window pixel (x, y), in a colour.
void CallFontLists(const OverlayArea& area, OverlayScale scale, int32_t x, int32_t y, const char* text, GLsizei length,
                   OverlayColour colour) {
  glListBase(gOverlays.fonts[scale].listBase);
  // The colour must be set before the raster position, which takes the current colour.
  glColor3ub(colour.r, colour.g, colour.b);
  PlaceRasterPosition(area, x, y);
  glCallLists(length, GL_UNSIGNED_BYTE, text);
}

}  // namespace

OverlayScale OverlayScaleOf(const OverlayArea& area) {
  return area.scale >= 1.5f ? kOverlayScale2x : kOverlayScale1x;
}

void DrawLoadingText(const OverlayArea& area) {
  const OverlayScale scale = OverlayScaleOf(area);
  const int32_t fontHeight = FontHeightAt(scale);
  // Centred for a character width taken as a quarter of the font height.
  const int32_t x = area.x + area.width / 2 - (fontHeight / 4) * kLoadingLength;
  const int32_t y = area.y + area.height / 2 - fontHeight / 2;
  BeginOverlay(area);
  CallFontLists(area, scale, x, y, kLoadingText, kLoadingLength, kLoadingColour);
  EndOverlay();
}

void DrawHelpScreen(const OverlayArea& area) {
  const OverlayScale scale = OverlayScaleOf(area);
  const int32_t width = HelpWidthAt(scale), height = HelpHeightAt(scale);
  BeginOverlay(area);
  glEnable(GL_BLEND);
  PlaceRasterPosition(area, area.x + (area.width - width) / 2, area.y + (area.height - height) / 2);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDrawPixels(width, height, GL_BGRA_EXT, GL_UNSIGNED_BYTE, gOverlays.helpImages[scale]);
  glDisable(GL_BLEND);
  EndOverlay();
}

void DrawFrameRate(const OverlayArea& area, double framesPerSecond) {
  char text[32];
  if (std::snprintf(text, sizeof text, "FPS: %.1f", framesPerSecond) <= 0) return;
  const int32_t margin = kFrameRateMargin * kOverlayScaleFactor[OverlayScaleOf(area)];
  DrawOverlayText(area, margin, margin, text, kFrameRateColour);
}

void DrawOverlayText(const OverlayArea& area, int32_t x, int32_t y, const char* text, OverlayColour colour) {
  const OverlayScale scale = OverlayScaleOf(area);
  const int32_t shadow = kShadowOffset * kOverlayScaleFactor[scale];
  const GLsizei length = GLsizei(std::strlen(text));
  BeginOverlay(area);
  CallFontLists(area, scale, area.x + x + shadow, area.y + y - shadow, text, length, kShadowColour);
  CallFontLists(area, scale, area.x + x, area.y + y, text, length, colour);
  EndOverlay();
}

int32_t OverlayTextWidth(const OverlayArea& area, const char* text) {
  const OverlayFont& font = gOverlays.fonts[OverlayScaleOf(area)];
  int32_t width = 0;
  for (const char* c = text; *c; ++c) {
    const uint8_t code = uint8_t(*c);
    if (code < kFontGlyphCount) width += font.advances[code];
  }
  return width;
}

int32_t OverlayTextHeight(const OverlayArea& area) { return FontHeightAt(OverlayScaleOf(area)); }

void FreeOverlayImages() {
  for (uint8_t*& image : gOverlays.helpImages) {
    std::free(image);
    image = nullptr;
  }
}
