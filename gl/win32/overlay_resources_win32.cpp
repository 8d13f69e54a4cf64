// The overlay resources of the Windows screensaver: the help picture from bitmap resource 107
// and the font's display lists made by wglUseFontBitmapsW from a bold 28-pixel Arial.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "gl/overlays.h"
#include "resources/pictures.h"
#include "resources/resource_ids.h"

namespace {

HFONT CreateOverlayFont(const wchar_t* face) {
  LOGFONTW font;
  std::memset(&font, 0, sizeof(font));
  font.lfHeight = -kFontHeight;  // negative: the character height, not the cell height
  font.lfWeight = FW_BOLD;  // 700
  std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectW(&font);
}

}  // namespace

bool CreateOverlayResources(ModuleHandle module, DeviceContextHandle deviceContext) {
  const HDC dc = static_cast<HDC>(deviceContext);
  // NOTE: GetBitmapBits hands over the rows top first; help.bmp is stored upside down (see
  // make_pictures) so these bytes come out bottom row first, as glDrawPixels reads them.
  const HBITMAP bitmap = LoadBitmapW(static_cast<HINSTANCE>(module), MAKEINTRESOURCEW(REDSPHERE_HELP_BITMAP));
  if (!bitmap) return false;
  uint8_t* image = static_cast<uint8_t*>(std::malloc(kHelpImageBytes));
  if (!image) {
    DeleteObject(bitmap);
    return false;
  }
  // A short read would leave the picture partly unset: the bitmap counts as missing then.
  const LONG read = GetBitmapBits(bitmap, LONG(kHelpImageBytes), image);
  DeleteObject(bitmap);
  if (read != LONG(kHelpImageBytes)) {
    std::free(image);
    return false;
  }
  gOverlays.helpImage = image;

  // Without Arial the font mapper picks a face for an empty name; if even that fails the lists
  // come from the font the device context already holds.
  HFONT font = CreateOverlayFont(L"Arial");
  if (!font) font = CreateOverlayFont(L"");
  const HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
  gOverlays.fontListBase = glGenLists(kFontGlyphCount);
  // The glyphs are the first Unicode code points, the overlay text being ASCII.
  wglUseFontBitmapsW(dc, 0, kFontGlyphCount, gOverlays.fontListBase);
  if (font) {
    SelectObject(dc, previous);
    DeleteObject(font);
  }
  return true;
}
