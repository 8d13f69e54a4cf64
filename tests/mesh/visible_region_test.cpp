// The visible-region pass on a full-count level-8 grid: pole caps, the seam rule, copies into band
// holes, the view's direction, nothing in view; and the thinning factor.
#include "mesh/visible_region.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "mapdata/map_data.h"
#include "tests/mesh/mesh_views.h"
#include "tests/support/mesh_grids.h"

namespace {

constexpr uint32_t kPpd = 8;
constexpr float kRadius = 3396000.0f;

class VisibleRegionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table.resize(kVisibleEntries);
    InstallMeshGrid(grid, kPpd, FullCountRows(kPpd), GridHeights::Flat);
  }
  void TearDown() override { RemoveMeshGrid(grid); }

  // The pass for the surface of a flat planet, seen from `eye` along the view matrix.
  uint32_t Find(const float view[16], const Vec3& eye, float viewAngle, float aspect = 1.0f) {
    const BuildView v = ViewFor(view, eye, aspect, 1.0f);
    const LayerSpec layer{kRadius - 16000.0f, kRadius + 16000.0f, viewAngle, 0.0f, 0, 420000, 1};
    return FindVisibleRegion(first, last, table.data(), grid.map, v, layer, RegionMode::Surface, nullptr);
  }

  std::vector<float> Runs(uint32_t degree) const {
    const VisibleEntry& e = table[degree];
    return std::vector<float>(e.runs, e.runs + e.valueCount);
  }

  MeshGrid grid;
  std::vector<VisibleEntry> table;
  uint32_t first = 99, last = 99;
};

// Field of view that shows the equator from `delta` degrees west to `delta` east of the point
// below a camera at distance d looking at the centre.
float FieldOfViewFor(float delta, float d) {
  const double rad = delta * 3.14159265358979 / 180.0;
  const double u = kRadius * std::sin(rad) / (d - kRadius * std::cos(rad));
  return static_cast<float>(2.0 * std::atan(u) * 180.0 / 3.14159265358979);
}

TEST_F(VisibleRegionTest, CameraAbovePoleKeepsWholeCircles) {
  const Vec3 eye{0.0f, 8000000.0f, 0.0f};
  float view[16];
  LookAt(view, eye, Vec3{0, 0, 0}, Vec3{0, 0, -1});
  const uint32_t total = Find(view, eye, 60.0f);
  EXPECT_EQ(last, grid.map.lastRow);
  EXPECT_GT(total, 0u);
  // Latitudes from 60 degrees up lie deep inside the cap (its edge is near 25 degrees): every
  // sample of the row is seen and the run is the whole circle.
  for (uint32_t degree = 150; degree <= 180; ++degree) {
    SCOPED_TRACE(degree);
    const NodeRow& row = grid.map.rows[degree * kPpd];
    ASSERT_EQ(Runs(degree), (std::vector<float>{0.0f, 360.0f}));
    EXPECT_EQ(table[degree].sampleCount, (row.count + kPpd - 1) / kPpd);
  }
}

TEST_F(VisibleRegionTest, SeamStretchNeedsBothEnds) {
  struct Case {
    const char* name;
    float longitude;  // of the camera, over the equator
    float delta;      // half the equator's visible span, degrees
    std::vector<float> runs;
    uint32_t samples;
  } cases[] = {
      // Seen from 356.5 to 3.5: the runs touch both ends and become one across the seam.
      {"across the seam", 0.0f, 3.5f, {0, 4, 357, 360}, 7},
      // Seen from -0.5 to 6.5: the first run starts at 0, but the last does not reach 360.
      {"near 0 only", 3.0f, 3.5f, {0, 7}, 7},
      // Seen from 353.5 to 359.5: the last sample is 359, but nothing starts near 0.
      {"near 360 only", 356.5f, 3.0f, {354, 359}, 6},
      // Seen from 87.5 to 92.5, in a view turned a quarter round from the +z axis.
      {"quarter round", 90.0f, 2.5f, {88, 93}, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const float d = 27000000.0f;
    const Vec3 eye = Place(d, 0.0f, c.longitude);
    float view[16];
    LookAt(view, eye, Vec3{0, 0, 0}, Vec3{0, 1, 0});
    Find(view, eye, FieldOfViewFor(c.delta, d));
    EXPECT_EQ(Runs(90), c.runs);
    EXPECT_EQ(table[90].sampleCount, c.samples);
  }
}

TEST_F(VisibleRegionTest, RowsInABandHoleGetCopiesOfTheNextDegree) {
  // Degrees 95 and 96 (latitudes 5 and 6) get rows of 8 nodes, so their only sample lies at
  // longitude 0, outside a narrow view centred on longitude 90.
  std::vector<uint32_t> counts = FullCountRows(kPpd);
  counts[95 * kPpd] = 8;
  counts[96 * kPpd] = 8;
  RemoveMeshGrid(grid);
  InstallMeshGrid(grid, kPpd, counts, GridHeights::Flat);

  const Vec3 eye = Place(27000000.0f, 0.0f, 90.0f);
  float view[16];
  LookAt(view, eye, Vec3{0, 0, 0}, Vec3{0, 1, 0});
  const uint32_t total = Find(view, eye, FieldOfViewFor(10.0f, 27000000.0f));

  ASSERT_GT(table[97].valueCount, 0u);
  for (uint32_t hole : {95u, 96u}) {
    SCOPED_TRACE(hole);
    EXPECT_EQ(table[hole].sampleCount, table[97].sampleCount);
    EXPECT_EQ(Runs(hole), Runs(97));
  }
  // Every degree of the band has runs, and the total counts the copies.
  for (uint32_t degree = first / kPpd; degree <= last / kPpd; ++degree)
    EXPECT_GT(table[degree].valueCount, 0u) << "degree " << degree;
  uint32_t sum = 0;
  for (const VisibleEntry& entry : table) sum += entry.sampleCount;
  EXPECT_EQ(total, sum);
  // The band reopened after the hole and ends only at the view's northern edge.
  EXPECT_LT(first / kPpd, 90u);
  EXPECT_GT(last / kPpd, 97u);
}

TEST_F(VisibleRegionTest, NothingInView) {
  struct Case {
    const char* name;
    Vec3 eye;
    Vec3 centre;
  } cases[] = {
      {"looking away", Place(9000000.0f, 20.0f, 40.0f), Place(20000000.0f, 20.0f, 40.0f)},
      {"inside the inner sphere", Place(3000000.0f, 0.0f, 0.0f), Vec3{0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    float view[16];
    LookAt(view, c.eye, c.centre, Vec3{0, 1, 0});
    EXPECT_EQ(Find(view, c.eye, 45.0f), 0u);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(last, 0u);
  }
}

TEST(ThinningFactor, FollowsTheVisibleShare) {
  struct Case {
    uint32_t total, limit, ppd, density;
    ThinningRule rule;
    uint32_t k;
  } cases[] = {
      {20000, 420000, 8, 41253, ThinningRule::Surface, 4},      // 4.04
      {20000, 30000, 8, 41253, ThinningRule::Shell, 16},        // 12.4, raised to a power of two
      {20000, 45000, 8, 41253, ThinningRule::Atmosphere, 10},   // 10.3, kept
      {41253, 420000, 32, 41253, ThinningRule::Surface, 32},    // 18.4
      {0, 420000, 8, 41253, ThinningRule::Surface, 1},
      {0, 45000, 8, 41253, ThinningRule::Atmosphere, 1},
      {1, 420000, 8, 41253, ThinningRule::Surface, 1},
      {20000, 420000, 8, 0, ThinningRule::Surface, 1024},  // no density: bounded, not a division by zero
  };
  for (const Case& c : cases)
    EXPECT_EQ(ThinningFactor(c.total, c.limit, c.ppd, c.density, c.rule), c.k)
        << c.total << " " << c.limit << " " << c.ppd;
}

}  // namespace
