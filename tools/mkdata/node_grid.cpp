// Row counts of the node grid.
#include "tools/mkdata/node_grid.h"

#include <algorithm>
#include <cmath>

#include "mapdata/map_formats.h"
#include "tools/mkdata/sphere_geometry.h"

std::vector<uint32_t> NodeRowCounts(uint32_t ppd) {
  const uint32_t rows = RowCountForLevel(ppd);
  const double widest = MaxRowCount(ppd);
  std::vector<uint32_t> counts(rows);
  for (uint32_t i = 0; i < rows; ++i) {
    const long count = std::lround(widest * std::cos(NodeRowLatitude(ppd, i) * kDegree));
    counts[i] = static_cast<uint32_t>(std::clamp<long>(count, 1, MaxRowCount(ppd)));
  }
  // The poles are single points whatever the rounding of cos(90 degrees) gives.
  counts.front() = 1;
  counts.back() = 1;
  return counts;
}

double NodeSpacingKm(uint32_t ppd) { return kKmPerDegree / ppd; }
