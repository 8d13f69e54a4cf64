// Terraformed node colours: water below the coast keeps its colour and codes its depth in alpha,
// high and polar ground turns to snow, and the land between takes the green-blue tint, more of it
// where the ground is saturated, low and near the equator.
#include <cmath>

#include "mapdata/colour.h"
#include "mapdata/map_data.h"

namespace {

constexpr float kSnowLine = 7000.0f;     // land above kSnowLine * cosLat is snow
constexpr Colour kTerraTint = {40, 70, 70, 255};
constexpr Colour kSnow = {255, 255, 255, 255};

// Alpha of a water node: 229 at the coast, falling with depth to 175 at 6000 m below it.
uint8_t WaterAlpha(float height) {
  const float x = (kCoastHeight - height) / 100.0f;
  if (x > 60.0f) return 175;
  return static_cast<uint8_t>(0.9f * (255.0f - x));
}

}  // namespace

void DeriveTerraColours(MapData& map) {
  const Hsv tint = RgbToHsv(kTerraTint.r / 255.0f, kTerraTint.g / 255.0f, kTerraTint.b / 255.0f);
  for (uint32_t i = 0; i <= map.lastRow; ++i) {
    const NodeRow& row = map.rows[i];
    Colour* out = map.terra + (row.mars - map.mars);
    const float cosLat = row.cosLat;
    const float snowHeight = kSnowLine * cosLat;
    for (uint32_t j = 0; j < row.count; ++j) {
      const Colour c = row.mars[j];
      const float h = row.topo[j];
      if (h <= kCoastHeight) {
        out[j] = Colour{c.r, c.g, c.b, WaterAlpha(h)};
        continue;
      }
      if (h >= 0.0f && h > snowHeight) {
        out[j] = kSnow;
        continue;
      }
      const float saturation = RgbToHsv(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f).s;
      float t, w;
      if (h < 0.0f) {
        t = (kCoastHeight - h) / kCoastHeight;
        w = std::sqrt(t) * 2.0f * cosLat * saturation;
      } else {
        t = (kSnowLine - h) / kSnowLine;
        w = 2.0f * cosLat * saturation * t;
      }
      w = w < 0.0f ? 0.0f : (w > 1.0f ? 1.0f : w);
      float tintSaturation = (2.0f - t) * tint.s;
      if (tintSaturation > 1.0f) tintSaturation = 1.0f;
      const Rgb rgb = HsvToRgb(tint.h, tintSaturation, tint.v);
      const Colour tinted{static_cast<uint8_t>(rgb.r * 255.0f), static_cast<uint8_t>(rgb.g * 255.0f),
                          static_cast<uint8_t>(rgb.b * 255.0f), 255};
      Colour blended = BlendRgb(tinted, c, w);
      blended.a = 255;
      out[j] = blended;
    }
  }
}
