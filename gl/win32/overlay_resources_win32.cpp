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
  // Widths the font cannot tell stay 0: text is then measured short, never drawn wrong.
  INT widths[kFontGlyphCount] = {};
  if (!GetCharWidth32W(dc, 0, kFontGlyphCount - 1, widths)) std::memset(widths, 0, sizeof widths);
  for (int32_t code = 0; code < kFontGlyphCount; ++code) overlayFont.advances[code] = widths[code];
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
