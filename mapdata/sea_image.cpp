// The sea texture: deep to shallow water blended with the ground's own colour by depth, shallow
// water over land (seen only where the sea shell rises above it), and white polar ice.
#include <cmath>

#include "mapdata/colour.h"
#include "mapdata/map_data.h"

namespace {

constexpr float kDepthScale = 3000.0f;       // metres below the coast to reach full deep water
constexpr float kLandWaterWeight = 0.6f;     // shallow water over land
constexpr float kPolarLatitude = 70.0f;
constexpr float kIceDepthFactor = -5500.0f;  // polar ice reaches (1 - cosLat) * -5500 m
constexpr Colour kDeepWater = {32, 35, 64, 255};
constexpr Colour kShallowWater = {32, 83, 105, 255};
constexpr Colour kIce = {255, 255, 255, 255};

}  // namespace

void DeriveSeaImage(MapData& map) {
  const uint32_t width = map.seaWidth, height = map.seaHeight;
  for (uint32_t r = 0; r < height; ++r) {
    const uint32_t i = static_cast<uint32_t>(uint64_t{map.lastRow} * r / height);
    const NodeRow& row = map.rows[i];
    const float latitude = map.rowSpacing * static_cast<float>(i) - 90.0f;
    const bool polar = latitude < -kPolarLatitude || latitude > kPolarLatitude;
    const float iceHeight = (1.0f - row.cosLat) * kIceDepthFactor;
    Colour* out = map.seaImage + uint64_t{r} * width;
    for (uint32_t c = 0; c < width; ++c) {
      const uint32_t j = static_cast<uint32_t>(uint64_t{row.count} * c / width);
      const float h = row.topo[j];
      const Colour m = row.mars[j];
      Colour colour;
      if (h <= kCoastHeight) {
        const float a = std::sqrt((kCoastHeight - h) / kDepthScale);
        const float w1 = a < 1.0f ? a : 1.0f;
        const float w2 = a + kLandWaterWeight < 1.0f ? a + kLandWaterWeight : 1.0f;
        colour = BlendRgb(BlendRgb(kDeepWater, kShallowWater, w1), m, w2);
      } else {
        colour = BlendRgb(kShallowWater, m, kLandWaterWeight);
      }
      colour.a = 255;
      if (polar) {
        const Hsv hsv = RgbToHsv(m.r / 255.0f, m.g / 255.0f, m.b / 255.0f);
        if ((hsv.s < 0.3f && hsv.v > 0.7f) || h >= iceHeight) colour = kIce;
      }
      out[c] = colour;
    }
  }
}
