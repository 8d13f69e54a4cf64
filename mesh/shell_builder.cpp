// The textured shell that follows the areoid at a fixed height: the sea surface below the ground
// and the cloud layer above it. Texture coordinates run with longitude (s) and row (t).
#include "mapdata/map_data.h"
#include "mesh/builders.h"
#include "mesh/row_walk.h"

uint32_t BuildShell(const BuildWork& work, const BuildView& view, const LayerSpec& layer, TriangleSink& sink) {
  const MapData& map = *work.map;
  const double lift = static_cast<double>(layer.height) * view.relief;
  const float rows = static_cast<float>(map.lastRow + 1);
  return WalkRows<StitchVariant::Texture>(
      work, view, layer, RegionMode::Shell, ThinningRule::Shell, sink,
      [&](const RowBuffer& buffer, uint32_t v, const NodeRow& row, uint32_t r, uint32_t j, float longitude, uint32_t trig) {
        const float radius = static_cast<float>(row.areoid[j] + static_cast<double>(kReferenceRadius) + lift);
        const float ring = radius * row.cosLat;
        buffer.positions[v] = Vec3{ring * map.sinTable[trig], radius * row.sinLat, ring * map.cosTable[trig]};
        buffer.longitudes[v] = longitude;
        buffer.texCoords[v] = TexCoord{static_cast<float>(j) / static_cast<float>(row.count), static_cast<float>(r) / rows};
      });
}
