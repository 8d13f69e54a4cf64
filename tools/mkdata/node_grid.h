// The node grid of a level: 180 * ppd + 1 latitude rows from the south pole, each with about
// 360 * ppd * cos(latitude) nodes so that cells are roughly square.
#pragma once

#include <cstdint>
#include <vector>

// Per-row node counts: at least 1, exactly 1 on both pole rows, never above 360 * ppd.
std::vector<uint32_t> NodeRowCounts(uint32_t ppd);

// Latitude of row i in degrees, -90 at row 0.
inline double NodeRowLatitude(uint32_t ppd, uint32_t row) { return -90.0 + static_cast<double>(row) / ppd; }
// Longitude of node j of a row of count nodes, in degrees east.
inline double NodeLongitude(uint32_t count, uint32_t j) { return 360.0 * j / count; }
// Node spacing along a meridian, in km.
double NodeSpacingKm(uint32_t ppd);
