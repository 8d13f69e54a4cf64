// The planet surface: relief at the current relief factor, each vertex coloured by its node's
// present-day or terraformed colour, one face normal per triangle.
#include "mapdata/map_data.h"
#include "mesh/builders.h"
#include "mesh/row_walk.h"

uint32_t BuildSurface(const BuildWork& work, const BuildView& view, const LayerSpec& layer, TriangleSink& sink) {
  const MapData& map = *work.map;
  const double relief = view.relief;
  const int32_t level = layer.terraformLevel;
  return WalkRows<StitchVariant::ColourFaceNormals>(
      work, view, layer, RegionMode::Surface, ThinningRule::Surface, sink,
      [&](const RowBuffer& buffer, uint32_t v, const NodeRow& row, uint32_t, uint32_t j, float longitude, uint32_t trig) {
        const float radius = static_cast<float>(row.areoid[j] + static_cast<double>(kReferenceRadius) + row.topo[j] * relief);
        const float ring = radius * row.cosLat;
        buffer.positions[v] = Vec3{ring * map.sinTable[trig], radius * row.sinLat, ring * map.cosTable[trig]};
        buffer.longitudes[v] = longitude;
        buffer.colours[v] = UsesTerraColour(row.topo[j], level) ? row.terra[j] : row.mars[j];
      });
}
