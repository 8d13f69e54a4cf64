// The overlays, drawn at a window position in pixels either with glWindowPos2i (OpenGL 1.4) or
// through an orthographic projection over the area and glRasterPos2i, clipped to their area, with
// the font and pictures of the area's scale.
#include "gl/overlays.h"

#include <GL/glu.h>

#include <algorithm>
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

// The text's characters through the scale's font lists from window pixel (x, y), in a colour
// (alpha below 255 blends it, where blending is on).
void CallFontLists(const OverlayArea& area, OverlayScale scale, int32_t x, int32_t y, const char* text, GLsizei length,
                   OverlayColour colour, uint8_t alpha = 255) {
  glListBase(gOverlays.fonts[scale].listBase);
  // The colour must be set before the raster position, which takes the current colour.
  glColor4ub(colour.r, colour.g, colour.b, alpha);
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

namespace {

constexpr OverlayColour kCaptionTitleColour{255, 255, 180};  // the help picture's light yellow
constexpr OverlayColour kCaptionColour{255, 255, 255};
constexpr float kCaptionPanelAlpha = 0.55f;  // dark enough for white text over the brightest ground
constexpr int32_t kCaptionPadding = 10;      // 1x pixels around the text
constexpr float kCaptionLift = 0.08f;        // the panel's bottom edge, as a share of the area's height
constexpr float kCaptionWidthShare = 0.9f;   // the widest the panel grows, as a share of the area's width
constexpr int32_t kCaptionLines = 3;         // the facts wrap onto at most this many lines

// Part of a text: its first character and how many.
struct TextLine {
  const char* text;
  int32_t length;
};

int32_t TextWidth(const OverlayFont& font, const char* text, int32_t length) {
  int32_t width = 0;
  for (int32_t i = 0; i < length; ++i) {
    const uint8_t code = uint8_t(text[i]);
    if (code < kFontGlyphCount) width += font.advances[code];
  }
  return width;
}

// Breaks text at spaces into at most maxLines lines of at most `room` pixels (a word longer than
// that stands alone, clipped); what does not fit in maxLines is left out. Returns the count.
int32_t WrapText(const OverlayFont& font, const char* text, int32_t room, TextLine* lines, int32_t maxLines) {
  int32_t count = 0;
  const char* start = text;
  while (*start && count < maxLines) {
    const char* end = start;  // the line so far ends before `end`
    for (const char* next = start; *next;) {
      const char* wordEnd = next;
      while (*wordEnd && *wordEnd != ' ') ++wordEnd;
      if (end != start && TextWidth(font, start, int32_t(wordEnd - start)) > room) break;
      end = wordEnd;
      next = *wordEnd ? wordEnd + 1 : wordEnd;
    }
    lines[count++] = TextLine{start, int32_t(end - start)};
    start = *end ? end + 1 : end;
  }
  return count;
}

// A dark translucent rectangle in area pixels; the frame's viewport, matrices and matrix mode are
// kept, as glWindowPos2i keeps them for the text.
void DrawPanel(const OverlayArea& area, int32_t left, int32_t bottom, int32_t width, int32_t height, float alpha) {
  GLint viewport[4], mode = GL_MODELVIEW;
  glGetIntegerv(GL_VIEWPORT, viewport);
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  glViewport(area.x, area.y, area.width, area.height);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(0, area.width, 0, area.height);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glColor4f(0.0f, 0.0f, 0.0f, alpha);
  glRecti(left, bottom, left + width, bottom + height);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(static_cast<GLenum>(mode));
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

}  // namespace

void DrawCaption(const OverlayArea& area, const char* title, const char* facts, float opacity) {
  if (opacity <= 0.0f) return;
  const OverlayScale scale = OverlayScaleOf(area);
  const OverlayFont& font = gOverlays.fonts[scale];
  const int32_t factor = kOverlayScaleFactor[scale], line = FontHeightAt(scale), pad = kCaptionPadding * factor;
  const int32_t room = static_cast<int32_t>(area.width * kCaptionWidthShare) - 2 * pad;
  TextLine lines[kCaptionLines + 1] = {{title, static_cast<int32_t>(std::strlen(title))}};
  const int32_t count = 1 + WrapText(font, facts, room, lines + 1, kCaptionLines);
  int32_t textWidth = 0;
  for (int32_t i = 0; i < count; ++i) textWidth = std::max(textWidth, TextWidth(font, lines[i].text, lines[i].length));
  const int32_t width = std::min(textWidth, room) + 2 * pad, height = count * line + 2 * pad;
  const int32_t left = (area.width - width) / 2, bottom = static_cast<int32_t>(area.height * kCaptionLift);
  const uint8_t alpha = static_cast<uint8_t>(std::min(opacity, 1.0f) * 255.0f + 0.5f);
  BeginOverlay(area);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  DrawPanel(area, left, bottom, width, height, kCaptionPanelAlpha * std::min(opacity, 1.0f));
  // Baselines a quarter line above each line's bottom, which leaves room for descenders.
  const int32_t x = area.x + left + pad, lastBase = area.y + bottom + pad + line / 4;
  for (int32_t i = 0; i < count; ++i)
    CallFontLists(area, scale, x, lastBase + (count - 1 - i) * line, lines[i].text, lines[i].length,
                  i == 0 ? kCaptionTitleColour : kCaptionColour, alpha);
  glDisable(GL_BLEND);
  glEnable(GL_CULL_FACE);
  EndOverlay();
}

int32_t OverlayTextWidth(const OverlayArea& area, const char* text) {
  return TextWidth(gOverlays.fonts[OverlayScaleOf(area)], text, static_cast<int32_t>(std::strlen(text)));
}

int32_t OverlayTextHeight(const OverlayArea& area) { return FontHeightAt(OverlayScaleOf(area)); }

void FreeOverlayImages() {
  for (uint8_t*& image : gOverlays.helpImages) {
    std::free(image);
    image = nullptr;
  }
}
