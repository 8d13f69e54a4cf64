// Colour sampling and detail.
#include "tools/mkdata/surface_colour.h"

#include <algorithm>
#include <cmath>

namespace {

// Brightness change at full fine detail: enough to break up the map's blur in close views,
// small enough not to change the map's look from afar.
constexpr double kDetailContrast = 0.08;

void MeanOfRow(const SourceImage& map, uint32_t y, double* out) {
  double sum[3] = {0, 0, 0};
  for (uint32_t x = 0; x < map.width; ++x)
    for (int k = 0; k < 3; ++k) sum[k] += map.pixels[(size_t{y} * map.width + x) * 3 + k];
  for (int k = 0; k < 3; ++k) out[k] = sum[k] / map.width;
}

uint8_t Channel(double value) { return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L)); }

}  // namespace

ColourMapSampler MakeColourSampler(const SourceImage& map) {
  ColourMapSampler sampler;
  sampler.map = &map;
  MeanOfRow(map, 0, sampler.north);
  MeanOfRow(map, map.height - 1, sampler.south);
  return sampler;
}

Colour SurfaceColour(const ColourMapSampler& sampler, double latDeg, double lonDeg, double fineDetail) {
  double rgb[3];
  if (latDeg >= 90.0) std::copy(sampler.north, sampler.north + 3, rgb);
  else if (latDeg <= -90.0) std::copy(sampler.south, sampler.south + 3, rgb);
  else SampleEquirect(*sampler.map, latDeg, lonDeg, rgb);
  const double gain = 1.0 + kDetailContrast * fineDetail;
  return Colour{Channel(rgb[0] * gain), Channel(rgb[1] * gain), Channel(rgb[2] * gain), 255};
}
