// The overlay resources of the Linux program: the help pictures and the font's glyph bitmaps at
// both overlay scales are part of the program (embedded_pictures.cpp, made at build time with
// FreeType from a bold sans-serif font at 28 and 56 pixels), turned here into pixels and into the
// same 255 bitmap display lists a scale that Windows makes.
#include <cstdlib>
#include <cstring>

#include "gl/overlays.h"
#include "resources/pictures.h"
#include "resources/pixel_runs.h"

namespace {

// The scale's glyphs as 255 new display lists, and their advances for OverlayTextWidth.
void MakeFontLists(OverlayScale scale, OverlayFont& font) {
  font.listBase = glGenLists(kFontGlyphCount);
  for (int32_t code = 0; code < kFontGlyphCount; ++code) {
    const FontGlyph& glyph = kFontGlyphs[scale][code];
    font.advances[code] = glyph.advance;
    glNewList(font.listBase + GLuint(code), GL_COMPILE);
    // The origin is the pen on the baseline: the bitmap's lower-left corner sits at
    // (left, top - height) from it.
    // NOTE: Mesa records no list entry, and reports GL_OUT_OF_MEMORY, for an empty bitmap given
    // a null pointer, so the space would not advance; every glyph gets a valid pointer (each
    // scale's kFontBits ends with a spare byte for this).
    glBitmap(glyph.width, glyph.height, GLfloat(-glyph.left), GLfloat(glyph.height - glyph.top), GLfloat(glyph.advance),
             0.0f, &kFontBits[scale][glyph.offset]);
    glEndList();
  }
}

}  // namespace

bool CreateOverlayResources(ModuleHandle /*module*/, DeviceContextHandle /*deviceContext*/) {
  for (int32_t index = 0; index < kOverlayScaleCount; ++index) {
    const OverlayScale scale = OverlayScale(index);
    uint8_t* image = static_cast<uint8_t*>(std::malloc(HelpImageBytesAt(scale)));
    gOverlays.helpImages[scale] = image;
    if (!image || !UnpackPixelRuns(kHelpRuns[scale], kHelpRunBytes[scale], image, HelpImageBytesAt(scale))) {
      FreeOverlayImages();
      return false;
    }
  }

  // Glyph rows are packed to whole bytes; a list keeps its bitmap as unpacked when compiled, so
  // the alignment matters only here and goes back afterwards.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (int32_t index = 0; index < kOverlayScaleCount; ++index)
    MakeFontLists(OverlayScale(index), gOverlays.fonts[index]);
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  return true;
}
