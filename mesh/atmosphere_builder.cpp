// The atmosphere shell 45 km (times the relief factor) above the areoid: coloured by terraform
// level from the palette, opaque towards the planet's limb and clear far inside or outside it.
#include <algorithm>
#include <cmath>

#include "mapdata/colour.h"
#include "mapdata/map_data.h"
#include "mesh/builders.h"
#include "mesh/row_walk.h"

namespace {
constexpr Colour kDustySky{230, 144, 86, 0};
constexpr Colour kBlueSky{130, 140, 230, 0};
constexpr float kLimbDistance = 3375000.0f;  // camera distance at which the fade rates hold as written
}  // namespace

void FillAtmospherePalette(Colour* palette) {
  for (uint32_t i = 0; i < kPaletteSize; ++i)
    palette[i] = BlendRgb(kDustySky, kBlueSky, static_cast<float>(kPaletteSize - 1 - i) / (kPaletteSize - 1));
}

float LimbAlpha(float a, float b, float distanceScale, float relief) {
  // 34.377... and 51.566... are 0.6 and 0.9 times the degrees in a radian.
  if (b < a) return std::max(0.8f - 34.37746770784939f * (a - b) * distanceScale / relief, 0.015f * relief);
  return std::max(0.8f - 51.56620156177409f * (b - a) * distanceScale / relief, 0.0f);
}

uint32_t BuildAtmosphere(const BuildWork& work, const BuildView& view, const LayerSpec& layer, TriangleSink& sink) {
  const MapData& map = *work.map;
  const float relief = view.relief;
  const double lift = static_cast<double>(layer.height) * relief;
  // The limb is taken a little below the shell: an eighth of its height under the surface radius.
  const float limbDrop = 0.125f * layer.height * relief;
  const float d = view.distance;
  const float distanceScale = d / kLimbDistance;
  const Vec3 camera = view.position;
  const float cameraLength = SqrtF(camera.x * camera.x + camera.y * camera.y + camera.z * camera.z);
  const Vec3 toCamera{camera.x / cameraLength, camera.y / cameraLength, camera.z / cameraLength};
  const Colour sky = work.palette[std::clamp(layer.terraformLevel, 0, kMaxTerraformLevel)];
  return WalkRows<StitchVariant::ColourSphereNormals>(
      work, view, layer, RegionMode::Shell, ThinningRule::Atmosphere, sink,
      [&](const RowBuffer& buffer, uint32_t v, const NodeRow& row, uint32_t, uint32_t j, float longitude, uint32_t trig) {
        const float radius = static_cast<float>(row.areoid[j] + static_cast<double>(kReferenceRadius) + lift);
        const float ring = radius * row.cosLat;
        const Vec3 p{ring * map.sinTable[trig], radius * row.sinLat, ring * map.cosTable[trig]};
        buffer.positions[v] = p;
        buffer.longitudes[v] = longitude;

        const float q = static_cast<float>(row.areoid[j]) + kReferenceRadius - limbDrop;
        const float planetRadius = std::asin(std::clamp(q / d, -1.0f, 1.0f));
        const Vec3 u{camera.x - p.x, camera.y - p.y, camera.z - p.z};
        const float uLength = SqrtF(u.x * u.x + u.y * u.y + u.z * u.z);
        const float cosine = (u.x * toCamera.x + u.y * toCamera.y + u.z * toCamera.z) / uLength;
        const float offCentre = std::acos(std::clamp(cosine, -1.0f, 1.0f));
        const float alpha = LimbAlpha(planetRadius, offCentre, distanceScale, relief);
        // NaN (a vertex at the camera) and values past 1 must not reach the byte conversion.
        const float clamped = alpha > 0.0f ? std::min(alpha, 1.0f) : 0.0f;
        buffer.colours[v] = Colour{sky.r, sky.g, sky.b, static_cast<uint8_t>(clamped * 255.0f)};
      });
}
