// The overlay resources of the Linux program: the help picture and the font's glyph bitmaps are
// part of the program (embedded_pictures.cpp, made at build time with FreeType from a bold
// sans-serif font at 28 pixels), turned here into the same 255 bitmap display lists Windows makes.
#include <cstdlib>
#include <cstring>

#include "gl/overlays.h"
#include "resources/pictures.h"

bool CreateOverlayResources(ModuleHandle /*module*/, DeviceContextHandle /*deviceContext*/) {
  uint8_t* image = static_cast<uint8_t*>(std::malloc(kHelpImageBytes));
  if (!image) return false;
  std::memcpy(image, kHelpPixels, kHelpImageBytes);
  gOverlays.helpImage = image;

  gOverlays.fontListBase = glGenLists(kFontGlyphCount);
  // Glyph rows are packed to whole bytes; a list keeps its bitmap as unpacked when compiled, so
  // the alignment matters only here and goes back afterwards.
  GLint alignment = 4;
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (int32_t code = 0; code < kFontGlyphCount; ++code) {
    const FontGlyph& glyph = kFontGlyphs[code];
    glNewList(gOverlays.fontListBase + GLuint(code), GL_COMPILE);
    // The origin is the pen on the baseline: the bitmap's lower-left corner sits at
    // (left, top - height) from it.
    // NOTE: Mesa records no list entry, and reports GL_OUT_OF_MEMORY, for an empty bitmap given
    // a null pointer, so the space would not advance; every glyph gets a valid pointer (kFontBits
    // ends with a spare byte for this).
    glBitmap(glyph.width, glyph.height, GLfloat(-glyph.left), GLfloat(glyph.height - glyph.top), GLfloat(glyph.advance),
             0.0f, &kFontBits[glyph.offset]);
    glEndList();
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
  return true;
}
