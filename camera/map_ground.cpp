// The drawn surface's height under a point, from the node rows of the loaded map.
#include "camera/map_ground.h"

#include <algorithm>
#include <cmath>

namespace {

// The higher of the two nodes of `row` on either side of `longitude` (0..360).
float RowHeight(const NodeRow& row, double longitude, float relief) {
  const uint32_t west = static_cast<uint32_t>(longitude / row.lonStep) % row.count;
  const uint32_t east = (west + 1) % row.count;
  const float a = row.areoid[west] + row.topo[west] * relief;
  const float b = row.areoid[east] + row.topo[east] * relief;
  return std::max(a, b);
}

}  // namespace

float MapGroundHeight(const void* ground, float latitude, float longitude) {
  const MapGround& g = *static_cast<const MapGround*>(ground);
  const MapData& map = *g.map;
  if (!std::isfinite(latitude)) latitude = 0.0f;
  if (!std::isfinite(longitude)) longitude = 0.0f;
  // Row 0 is the south pole; rows are rowSpacing degrees apart.
  const double rowIndex = (std::clamp(static_cast<double>(latitude), -90.0, 90.0) + 90.0) / map.rowSpacing;
  const uint32_t south = std::min(static_cast<uint32_t>(rowIndex), map.lastRow);
  const uint32_t north = std::min(south + 1, map.lastRow);
  double lon = std::fmod(static_cast<double>(longitude), 360.0);
  if (lon < 0.0) lon += 360.0;
  return std::max(RowHeight(map.rows[south], lon, g.relief), RowHeight(map.rows[north], lon, g.relief));
}
