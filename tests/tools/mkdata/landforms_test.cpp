// The named crater table and the crater shapes: every crater is on the planet at a sensible size,
// and depth, rim and central peak follow Mars' depth-diameter relation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "tools/mkdata/landforms.h"

namespace {

TEST(Landforms, NamedCratersAreWholeAndDistinct) {
  const std::vector<Landform>& craters = NamedCraters();
  ASSERT_GE(craters.size(), 40u);
  std::set<std::string> names;
  for (const Landform& crater : craters) {
    SCOPED_TRACE(crater.name);
    EXPECT_TRUE(names.insert(crater.name).second) << "named twice";
    EXPECT_EQ(crater.kind, LandformKind::Crater);
    EXPECT_LE(std::fabs(crater.latDeg), 90.0);
    EXPECT_GE(crater.lonDeg, 0.0);  // east longitudes, never west ones written as negative
    EXPECT_LT(crater.lonDeg, 360.0);
    EXPECT_GE(crater.radiusKm, 10.0);
    EXPECT_LE(crater.radiusKm, 240.0);
    // A floor below the surroundings and a rim above them, no deeper than a fresh crater's.
    EXPECT_GT(crater.levelM, 0.0);
    EXPECT_GT(crater.rimM, 0.0);
    EXPECT_LT(crater.levelM + crater.rimM, 8000.0);
  }
  // No two large named craters overlap more than the real ones do.
  for (size_t a = 0; a < craters.size(); ++a)
    for (size_t b = a + 1; b < craters.size(); ++b) {
      const double d = SurfaceDistanceKm(UnitVectorAt(craters[a].latDeg, craters[a].lonDeg),
                                         UnitVectorAt(craters[b].latDeg, craters[b].lonDeg));
      EXPECT_GT(d, 0.5 * std::max(craters[a].radiusKm, craters[b].radiusKm)) << craters[a].name << ", " << craters[b].name;
    }
}

TEST(Landforms, CraterDepthFollowsDiameterAndFreshness) {
  struct Case {
    double diameterKm;
    double lowM, highM;  // rim-to-floor depth of a fresh crater
    bool peak;
  };
  const Case cases[] = {
      {2.0, 380.0, 420.0, false},   // simple bowl: a fifth of the diameter
      {10.0, 1050.0, 1200.0, false},
      {40.0, 2000.0, 2300.0, true},  // complex: flat floor and central peak
      {300.0, 5800.0, 6300.0, false},  // peak ring: no single peak
  };
  double previous = 0.0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.diameterKm);
    const Landform fresh = CraterLandform("", 0.0, 0.0, c.diameterKm, 1.0);
    const double depth = fresh.levelM + fresh.rimM;
    EXPECT_GE(depth, c.lowM);
    EXPECT_LE(depth, c.highM);
    EXPECT_GT(depth, previous);
    previous = depth;
    EXPECT_NEAR(fresh.radiusKm, c.diameterKm / 2.0, 1e-9);
    EXPECT_EQ(fresh.peakM > 0.0, c.peak);
    if (c.peak) {
      EXPECT_LT(fresh.peakM, fresh.levelM);  // the peak stays below the surroundings
    }
    const Landform worn = CraterLandform("", 0.0, 0.0, c.diameterKm, 0.4);
    EXPECT_NEAR(worn.levelM + worn.rimM, 0.4 * depth, 1e-6);
  }
}

}  // namespace
