// The raw ".hex" map data files: element types, file names and the fixed sizes that every reader
// and writer of the data folder shares. The files have no header; every size follows from a length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/data_paths.h"

// One colour element: bytes R, G, B, A (as a little-endian word, R is the low byte); handed to
// OpenGL as GL_RGBA / GL_UNSIGNED_BYTE.
struct Colour {
  uint8_t r, g, b, a;
};
static_assert(sizeof(Colour) == 4, "a colour element is 4 bytes");

// One star: its colour and where it sits on the sky sphere, in the planet frame.
struct StarRecord {
  Colour colour;
  float elevation;  // degrees above the planet's equatorial plane, like a latitude
  float azimuth;    // degrees about the polar axis, measured like the planet's longitude
};
static_assert(sizeof(StarRecord) == 12, "a star record is 12 bytes");

constexpr float kReferenceRadius = 3396000.0f;  // metres; heights are relative to this sphere
constexpr uint32_t kSunImageSize = 64;          // the sun image is 64 x 64 colours
constexpr int64_t kSunFileLength = int64_t{kSunImageSize} * kSunImageSize * 4;
// Longest row a level may have: the mesh row buffers hold 360 * ppd + 1 vertices.
constexpr uint32_t MaxRowCount(uint32_t ppd) { return 360 * ppd; }
// Rows of a level-L node grid, pole to pole.
constexpr uint32_t RowCountForLevel(uint32_t ppd) { return 180 * ppd + 1; }

// Level-independent names: stem and ".hex" (clouds8.hex, sun.hex).
inline void SharedFileName(char* out, size_t size, const char* stem) { std::snprintf(out, size, "%s%s", stem, ".hex"); }

// The narrowest cloud image (clouds8): the cloud layer exists only where textures this wide fit.
constexpr int32_t kCloudTextureSize = 2048;

// Cloud image for a level and a largest texture size: clouds32 (8192 wide) from level 32,
// clouds16 (4096) from level 16, else clouds8 (2048), each only where textures that wide fit.
struct CloudChoice {
  const char* stem;
  uint32_t width;
};
inline CloudChoice ChooseCloudImage(uint32_t level, int32_t maxTextureSize) {
  if (level >= 32 && maxTextureSize >= 8192) return {"clouds32", 8192};
  if (level >= 16 && maxTextureSize >= 4096) return {"clouds16", 4096};
  return {"clouds8", kCloudTextureSize};
}

// Sea image width for a level and a largest texture size (the height is half of it). A cached sea
// file is valid only for the width it was written with.
inline uint32_t ChooseSeaWidth(uint32_t level, int32_t maxTextureSize) {
  if (level >= 32 && maxTextureSize >= 8192) return 8192;
  if (level >= 16 && maxTextureSize >= 4096) return 4096;
  if (maxTextureSize >= 2048) return 2048;
  // Every OpenGL implementation takes at least 64 texels; a failed query must not give an empty image.
  return maxTextureSize >= 64 ? static_cast<uint32_t>(maxTextureSize) : 64;
}
