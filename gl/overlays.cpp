// "Loading..." and the help screen, drawn at a window position in pixels either with
// glWindowPos2i (OpenGL 1.4) or through an orthographic projection and glRasterPos2i.
#include "gl/overlays.h"

#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>

#include "gl/gl_caps.h"

OverlayState gOverlays{};

namespace {

constexpr char kLoadingText[] = "Loading...";
constexpr GLsizei kLoadingLength = sizeof(kLoadingText) - 1;

// Sets the raster position to window pixel (x, y), origin bottom-left.
void PlaceRasterPosition(const OverlayArea& area, int32_t x, int32_t y) {
  if (gGlCaps.version14) {
    glWindowPos2i(area.x + x, area.y + y);
    return;
  }
  const int32_t width = area.width, height = area.height;
  // Without 1.4 the matrices and the viewport are left as set here: the next frame sets its own.
  // A position left of or below the window is outside this volume, so the raster position is
  // invalid and nothing is drawn.
  glViewport(area.x, area.y, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0, width, 0, height);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glRasterPos2i(x, y);
}

// Both overlays draw flat over the scene: no lighting, no depth test, and no depth writes that
// would hide the next frame's geometry.
void BeginOverlay() {
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_FALSE);
}

void EndOverlay() {
  glDepthMask(GL_TRUE);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
}

}  // namespace

void DrawLoadingText(const OverlayArea& area) {
  BeginOverlay();
  glListBase(gOverlays.fontListBase);
  // The colour must be set before the raster position, which takes the current colour.
  glColor3ub(200, 100, 50);
  // Centred for a character width taken as a quarter of the font height.
  const int32_t x = area.width / 2 - (kFontHeight / 4) * kLoadingLength;
  const int32_t y = area.height / 2 - kFontHeight / 2;
  PlaceRasterPosition(area, x, y);
  glCallLists(kLoadingLength, GL_UNSIGNED_BYTE, kLoadingText);
  EndOverlay();
}

void DrawHelpScreen(const OverlayArea& area) {
  BeginOverlay();
  glEnable(GL_BLEND);
  PlaceRasterPosition(area, (area.width - kHelpWidth) / 2, (area.height - kHelpHeight) / 2);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDrawPixels(kHelpWidth, kHelpHeight, GL_BGRA_EXT, GL_UNSIGNED_BYTE, gOverlays.helpImage);
  glDisable(GL_BLEND);
  EndOverlay();
}

void DrawFrameRate(const OverlayArea& area, double framesPerSecond) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, "FPS: %.1f", framesPerSecond);
  if (length <= 0) return;
  BeginOverlay();
  glListBase(gOverlays.fontListBase);
  constexpr int32_t kMargin = 8;
  // The colour must be set before the raster position, which takes the current colour.
  glColor3ub(0, 0, 0);
  PlaceRasterPosition(area, kMargin + 2, kMargin - 2);
  glCallLists(length, GL_UNSIGNED_BYTE, text);
  glColor3ub(255, 255, 255);
  PlaceRasterPosition(area, kMargin, kMargin);
  glCallLists(length, GL_UNSIGNED_BYTE, text);
  EndOverlay();
}

void FreeOverlayImages() {
  std::free(gOverlays.helpImage);
  gOverlays.helpImage = nullptr;
}
