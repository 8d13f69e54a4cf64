// Sizes of the pictures that resources/tools/make_pictures generates at build time, the two pixel
// scales the overlay pictures and font come in, the glyph record of the overlay font, and the
// copies the Linux build embeds (embedded_pictures.cpp, made by the same tool; the Windows build
// carries the pictures as resources instead).
#pragma once

#include <cstddef>
#include <cstdint>

// Every overlay picture and the overlay font are made at two pixel scales, drawn from the fonts
// at each, so a monitor of about 192 dots per inch shows them as crisp and as large as one of 96.
enum OverlayScale : int32_t { kOverlayScale1x, kOverlayScale2x, kOverlayScaleCount };
constexpr int32_t kOverlayScaleFactor[kOverlayScaleCount] = {1, 2};

// The help picture at 1x: B, G, R, A per pixel, first row at the bottom (the order glDrawPixels
// reads). At 2x every length doubles.
constexpr int32_t kHelpWidth = 600;
constexpr int32_t kHelpHeight = 440;
constexpr size_t kHelpImageBytes = size_t{kHelpWidth} * kHelpHeight * 4;  // 1,056,000

constexpr int32_t HelpWidthAt(OverlayScale scale) { return kHelpWidth * kOverlayScaleFactor[scale]; }
constexpr int32_t HelpHeightAt(OverlayScale scale) { return kHelpHeight * kOverlayScaleFactor[scale]; }
// 1,056,000 at 1x, 4,224,000 at 2x.
constexpr size_t HelpImageBytesAt(OverlayScale scale) {
  return size_t(HelpWidthAt(scale)) * size_t(HelpHeightAt(scale)) * 4;
}

// The preview picture (globe and name on black) and the largest icon, same pixel order.
constexpr int32_t kPreviewSize = 96;
constexpr int32_t kIconSize = 64;

// The overlay font: one bitmap per character code 0 ... 254 (Windows code page 1252), bold
// sans-serif with a character height of 28 pixels at 1x (56 at 2x), as Windows makes it from Arial.
constexpr int32_t kFontHeight = 28;
constexpr int32_t kFontGlyphCount = 255;

constexpr int32_t FontHeightAt(OverlayScale scale) { return kFontHeight * kOverlayScaleFactor[scale]; }

// The character (Unicode) of each font code: code page 1252, whose codes 128 ... 159 hold these
// (0: the code page leaves the code unused); every other code is the Latin-1 character of the same
// number. Control codes have no character and the font draws them as empty glyphs.
constexpr uint16_t kCodePage1252High[32] = {
    0x20ac, 0,      0x201a, 0x0192, 0x201e, 0x2026, 0x2020, 0x2021, 0x02c6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017d, 0,      0,      0x2018, 0x2019, 0x201c, 0x201d, 0x2022,
    0x2013, 0x2014, 0x02dc, 0x2122, 0x0161, 0x203a, 0x0153, 0,      0x017e, 0x0178};
constexpr uint32_t CharacterOfCode(int32_t code) {
  if (code < 32 || code == 127) return 0;
  if (code >= 128 && code < 160) return kCodePage1252High[code - 128];
  return uint32_t(code);
}

// One glyph as glBitmap takes it: rows bottom first, (width + 7) / 8 bytes a row, leftmost pixel
// in the high bit. left and top place the bitmap's top-left corner relative to the pen on the
// baseline (y up); advance moves the pen after it.
struct FontGlyph {
  uint8_t width;
  uint8_t height;
  int8_t left;
  int8_t top;
  uint8_t advance;
  uint32_t offset;  // first byte in the scale's kFontBits
};

// Linux build only (embedded_pictures.cpp); read-only for the life of the process.
//
// The help pictures as pixel runs, which keep the mostly even panel small in the program (the 2x
// picture's 4.2 MB take about a tenth of that): a head byte n, then either (n < 128) n + 1 pixels
// as they are, or (n >= 128) one pixel that repeats n - 126 times; 4 bytes a pixel in the
// picture's order (resources/pixel_runs.h). kHelpRunBytes[scale] counts the bytes of
// kHelpRuns[scale].
extern const uint8_t* const kHelpRuns[kOverlayScaleCount];
extern const size_t kHelpRunBytes[kOverlayScaleCount];
extern const uint8_t kPreviewPixels[size_t{kPreviewSize} * kPreviewSize * 4];
extern const uint8_t kIconPixels[size_t{kIconSize} * kIconSize * 4];
extern const FontGlyph kFontGlyphs[kOverlayScaleCount][kFontGlyphCount];
extern const uint8_t* const kFontBits[kOverlayScaleCount];
