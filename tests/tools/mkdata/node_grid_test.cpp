// The node grid the loader and the mesh builders rely on: whole levels of rows, single-node poles,
// rows within the mesh row buffers, and roughly square cells.
#include <gtest/gtest.h>

#include <cmath>

#include "mapdata/map_formats.h"
#include "tools/mkdata/node_grid.h"

namespace {

TEST(NodeGrid, RowsRunPoleToPoleWithSquareCells) {
  for (uint32_t ppd : {1u, 2u, 8u, 16u, 32u}) {
    SCOPED_TRACE(ppd);
    const std::vector<uint32_t> counts = NodeRowCounts(ppd);
    ASSERT_EQ(counts.size(), 180u * ppd + 1);
    EXPECT_EQ(counts.front(), 1u);
    EXPECT_EQ(counts.back(), 1u);
    EXPECT_EQ(counts[90 * ppd], 360u * ppd);  // the equator row is the longest
    uint64_t total = 0;
    for (uint32_t i = 0; i < counts.size(); ++i) {
      ASSERT_GE(counts[i], 1u) << i;
      ASSERT_LE(counts[i], MaxRowCount(ppd)) << i;
      EXPECT_EQ(counts[i], counts[counts.size() - 1 - i]) << "rows mirror about the equator, row " << i;
      if (i > 0 && i + 1 < counts.size()) {
        const double ideal = 360.0 * ppd * std::cos(NodeRowLatitude(ppd, i) * 3.14159265358979323846 / 180.0);
        EXPECT_LE(std::fabs(counts[i] - std::max(ideal, 1.0)), 1.0) << i;
      }
      total += counts[i];
    }
    // The grid covers the sphere at ppd nodes per degree: 360 * 180 * ppd^2 * 2 / pi nodes.
    const double expected = 360.0 * 180.0 * ppd * ppd * 2.0 / 3.14159265358979323846;
    EXPECT_NEAR(static_cast<double>(total) / expected, 1.0, 0.01);
  }
}

}  // namespace
