// The latitude row table and the half-sample trig tables that the mesh builders index.
#include <cmath>

#include "mapdata/map_data.h"

namespace {
constexpr double kPi = 3.14159265358979323846;
}

void BuildRowTable(MapData& map) {
  // Entry k is k half-samples of longitude: node j of a row finds its entry at j * lonStep * 2 * ppd.
  const uint32_t tableLast = 720 * map.ppd;
  for (uint32_t k = 0; k <= tableLast; ++k) {
    const float angle = static_cast<float>(k * (kPi / 180.0) / (2.0 * map.ppd));
    map.cosTable[k] = std::cos(angle);
    map.sinTable[k] = std::sin(angle);
  }

  NodeRow* rows = map.rows;
  rows[0].lonStep = 360.0;
  rows[0].cosLat = 0.0f;
  rows[0].sinLat = -1.0f;
  rows[0].areoid = map.areoid;
  rows[0].topo = map.topo;
  rows[0].mars = map.mars;
  rows[0].terra = map.terra;
  // The latitude is accumulated row by row in double precision, so every data set with the same
  // row count gets bit-identical row latitudes.
  double latitude = -90.0;
  for (uint32_t i = 1; i <= map.lastRow; ++i) {
    const NodeRow& previous = rows[i - 1];
    NodeRow& row = rows[i];
    row.areoid = previous.areoid + previous.count;
    row.topo = previous.topo + previous.count;
    row.mars = previous.mars + previous.count;
    row.terra = previous.terra + previous.count;
    latitude += map.rowSpacing;
    const float radians = static_cast<float>(latitude * kPi / 180.0);
    row.cosLat = std::cos(radians);
    row.sinLat = std::sin(radians);
    row.lonStep = 360.0 / row.count;
  }
}
