// Pictures the user imports (a Mars colour map, a cloud cover) decoded from JPEG, and the bilinear
// sampling of such a picture as an equirectangular map of the globe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct SourceImage {
  uint32_t width = 0, height = 0;
  uint32_t channels = 0;        // 1 (grey) or 3 (RGB)
  std::vector<uint8_t> pixels;  // row by row from the top, channels interleaved
};

// The largest picture accepted: a 90-metre global map, 1.5 GB of RGB once decoded. Larger sizes in
// a header are far more likely a damaged file than a real map.
constexpr uint32_t kMaxImageWidth = 32768, kMaxImageHeight = 16384;

// Decodes a JPEG file to grey (1 channel) or RGB (3); false with a one-line message in error
// (missing file, not a JPEG, larger than the maximum, corrupt). Decodes the same bytes on every
// platform.
bool ReadJpegImage(const std::string& path, SourceImage& image, std::string& error);

// Imported maps are equirectangular: twice as wide as high, north at the top, and longitude 180
// degrees at the left edge, 0 in the middle and east to the right (Olympus Mons, 226.2 E, lies an
// eighth of the width from the left edge). Fills out[channels] with the bilinear sample at a
// latitude and east longitude; wraps in longitude, clamps at the poles.
void SampleEquirect(const SourceImage& image, double latDeg, double lonDeg, double* out);

// The same map position as fractional pixel coordinates of a width x height map (pixel centres at
// whole numbers): x in [0, width), y clamped to [0, height - 1].
void EquirectPixel(uint32_t width, uint32_t height, double latDeg, double lonDeg, double& x, double& y);
