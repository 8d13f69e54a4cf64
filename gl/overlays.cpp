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
void PlaceRasterPosition(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (gGlCaps.version14) {
    glWindowPos2i(x, y);
    return;
  }
  // Without 1.4 the matrices and the viewport are left as set here: the next frame sets its own.
  // A position left of or below the window is outside this volume, so the raster position is
  // invalid and nothing is drawn.
  glViewport(0, 0, width, height);
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

void DrawLoadingText(int32_t width, int32_t height) {
  BeginOverlay();
  glListBase(gOverlays.fontListBase);
  // The colour must be set before the raster position, which takes the current colour.
  glColor3ub(200, 100, 50);
  // Centred for a character width taken as a quarter of the font height.
  const int32_t x = width / 2 - (kFontHeight / 4) * kLoadingLength;
  const int32_t y = height / 2 - kFontHeight / 2;
  PlaceRasterPosition(x, y, width, height);
  glCallLists(kLoadingLength, GL_UNSIGNED_BYTE, kLoadingText);
  EndOverlay();
}

void DrawHelpScreen(int32_t width, int32_t height) {
  BeginOverlay();
  glEnable(GL_BLEND);
  PlaceRasterPosition((width - kHelpWidth) / 2, (height - kHelpHeight) / 2, width, height);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDrawPixels(kHelpWidth, kHelpHeight, GL_BGRA_EXT, GL_UNSIGNED_BYTE, gOverlays.helpImage);
  glDisable(GL_BLEND);
  EndOverlay();
}

void DrawFrameRate(int32_t width, int32_t height, double framesPerSecond) {
  char text[32];
  const int length = std::snprintf(text, sizeof text, "FPS: %.1f", framesPerSecond);
  if (length <= 0) return;
  BeginOverlay();
  glListBase(gOverlays.fontListBase);
  constexpr int32_t kMargin = 8;
  // The colour must be set before the raster position, which takes the current colour.
  glColor3ub(0, 0, 0);
  PlaceRasterPosition(kMargin + 2, kMargin - 2, width, height);
  glCallLists(length, GL_UNSIGNED_BYTE, text);
  glColor3ub(255, 255, 255);
  PlaceRasterPosition(kMargin, kMargin, width, height);
  glCallLists(length, GL_UNSIGNED_BYTE, text);
  EndOverlay();
}

void FreeOverlayImages() {
  std::free(gOverlays.helpImage);
  gOverlays.helpImage = nullptr;
}
