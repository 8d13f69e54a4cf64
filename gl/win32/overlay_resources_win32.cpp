// The overlay resources of the Windows screensaver: the help picture at each overlay scale from
// bitmap resources 107 (1x) and 108 (2x), and each scale's font display lists made by
// wglUseFontBitmapsW from a bold Arial of 28 and 56 pixels, with the characters' widths.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "gl/overlays.h"
#include "resources/pictures.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kHelpBitmaps[kOverlayScaleCount] = {REDSPHERE_HELP_BITMAP, REDSPHERE_HELP_BITMAP_2X};

// The scale's help pixels in newly allocated memory; null when the bitmap is missing, short or
// the memory cannot be had.
uint8_t* LoadHelpImage(HINSTANCE module, OverlayScale scale) {
  // NOTE: GetBitmapBits hands over the rows top first; help.bmp and help2x.bmp are stored upside
  // down (see make_pictures) so these bytes come out bottom row first, as glDrawPixels reads them.
  const HBITMAP bitmap = LoadBitmapW(module, MAKEINTRESOURCEW(kHelpBitmaps[scale]));
  if (!bitmap) return nullptr;
  const size_t bytes = HelpImageBytesAt(scale);
  uint8_t* image = static_cast<uint8_t*>(std::malloc(bytes));
  // A short read would leave the picture partly unset: the bitmap counts as missing then.
  if (image && GetBitmapBits(bitmap, LONG(bytes), image) != LONG(bytes)) {
    std::free(image);
    image = nullptr;
  }
  DeleteObject(bitmap);
  return image;
}

HFONT CreateOverlayFont(const wchar_t* face, int32_t height) {
  LOGFONTW font;
  std::memset(&font, 0, sizeof(font));
  font.lfHeight = -height;  // negative: the character height, not the cell height
  font.lfWeight = FW_BOLD;  // 700
  std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectW(&font);
}

// NOTE: wglUseFontBitmaps records a glyph without pixels (the space, the no-break space) as a
// glBitmap with a null pointer. Mesa, which Wine and software OpenGL on Windows use, records no
// list entry for that and reports GL_OUT_OF_MEMORY, so the space would not move the pen
// ("FPS:29.9"). Those lists are recorded again with a valid pointer and the glyph's width, and
// the error the first recording left is taken.
void RecordEmptyGlyphs(HDC dc, const OverlayFont& font) {
  static const GLubyte kNoPixels = 0;
  const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  for (int32_t code = 0; code < kFontGlyphCount; ++code) {
    GLYPHMETRICS metrics;
    if (GetGlyphOutlineW(dc, UINT(code), GGO_BITMAP, &metrics, 0, nullptr, &identity) != 0) continue;
    glNewList(font.listBase + GLuint(code), GL_COMPILE);
    glBitmap(0, 0, 0.0f, 0.0f, GLfloat(font.advances[code]), 0.0f, &kNoPixels);
    glEndList();
  }
  while (glGetError() == GL_OUT_OF_MEMORY) continue;
}

// The scale's lists and the widths OverlayTextWidth adds up, from the same selected font.
void MakeFontLists(HDC dc, OverlayScale scale, OverlayFont& overlayFont) {
  // Without Arial the font mapper picks a face for an empty name; if even that fails the lists
  // come from the font the device context already holds.
  HFONT font = CreateOverlayFont(L"Arial", FontHeightAt(scale));
  if (!font) font = CreateOverlayFont(L"", FontHeightAt(scale));
  const HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
  overlayFont.listBase = glGenLists(kFontGlyphCount);
  // The glyphs are the first Unicode code points, the overlay text being ASCII.
  wglUseFontBitmapsW(dc, 0, kFontGlyphCount, overlayFont.listBase);
  // Widths the font cannot tell stay 0: such text is measured short.
  INT widths[kFontGlyphCount] = {};
  if (!GetCharWidth32W(dc, 0, kFontGlyphCount - 1, widths)) std::memset(widths, 0, sizeof widths);
  for (int32_t code = 0; code < kFontGlyphCount; ++code) overlayFont.advances[code] = widths[code];
  RecordEmptyGlyphs(dc, overlayFont);
  if (font) {
    SelectObject(dc, previous);
    DeleteObject(font);
  }
}

}  // namespace

bool CreateOverlayResources(ModuleHandle module, DeviceContextHandle deviceContext) {
  for (int32_t index = 0; index < kOverlayScaleCount; ++index) {
    gOverlays.helpImages[index] = LoadHelpImage(static_cast<HINSTANCE>(module), OverlayScale(index));
    if (!gOverlays.helpImages[index]) {
      FreeOverlayImages();
      return false;
    }
  }
  for (int32_t index = 0; index < kOverlayScaleCount; ++index)
    MakeFontLists(static_cast<HDC>(deviceContext), OverlayScale(index), gOverlays.fonts[index]);
  return true;
}
