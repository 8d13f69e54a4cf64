// Sizes of the pictures that resources/tools/make_pictures generates at build time, the glyph
// record of the overlay font, and the copies the Linux build embeds (embedded_pictures.cpp, made
// by the same tool; the Windows build carries the pictures as resources instead).
#pragma once

#include <cstddef>
#include <cstdint>

// The help picture: B, G, R, A per pixel, first row at the bottom (the order glDrawPixels reads).
constexpr int32_t kHelpWidth = 600;
constexpr int32_t kHelpHeight = 440;
constexpr size_t kHelpImageBytes = size_t{kHelpWidth} * kHelpHeight * 4;  // 1,056,000

// The preview picture (globe and name on black) and the largest icon, same pixel order.
constexpr int32_t kPreviewSize = 96;
constexpr int32_t kIconSize = 64;

// The overlay font: one bitmap per character code 0 ... 254 (Windows code page 1252), bold
// sans-serif with a character height of 28 pixels, as Windows makes it from Arial.
constexpr int32_t kFontHeight = 28;
constexpr int32_t kFontGlyphCount = 255;

// One glyph as glBitmap takes it: rows bottom first, (width + 7) / 8 bytes a row, leftmost pixel
// in the high bit. left and top place the bitmap's top-left corner relative to the pen on the
// baseline (y up); advance moves the pen after it.
struct FontGlyph {
  uint8_t width;
  uint8_t height;
  int8_t left;
  int8_t top;
  uint8_t advance;
  uint32_t offset;  // first byte in kFontBits
};

// Linux build only (embedded_pictures.cpp); read-only for the life of the process.
extern const uint8_t kHelpPixels[kHelpImageBytes];
extern const uint8_t kPreviewPixels[size_t{kPreviewSize} * kPreviewSize * 4];
extern const uint8_t kIconPixels[size_t{kIconSize} * kIconSize * 4];
extern const FontGlyph kFontGlyphs[kFontGlyphCount];
extern const uint8_t kFontBits[];
