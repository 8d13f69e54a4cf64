// The crater population: Mars' power-law sizes, the density it is asked for, the same craters for
// the same seed, and a lookup that never misses a crater whose reach covers a point (near the
// poles and across longitude 0 included).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tools/mkdata/crater_field.h"
#include "tools/mkdata/random_stream.h"

namespace {

size_t CountAtLeast(const CraterField& field, double diameterKm) {
  return std::count_if(field.craters.begin(), field.craters.end(),
                       [&](const FieldCrater& c) { return 2.0 * c.radiusKm >= diameterKm; });
}

TEST(CraterField, SizesFollowThePowerLawAndTheDensity) {
  const CraterField everywhere = MakeCraterField(1, [](const Vec3d&) { return 1.0; });
  // N(>= D) = kCratersAbove5Km (5 / D)^2, less those above the largest size.
  const double expected5 = kCratersAbove5Km * (1.0 - std::pow(5.0 / kLargestCraterKm, 2.0));
  EXPECT_NEAR(static_cast<double>(CountAtLeast(everywhere, 5.0)), expected5, 0.03 * expected5);
  for (double d : {5.0, 10.0, 20.0}) {
    SCOPED_TRACE(d);
    const double ratio = static_cast<double>(CountAtLeast(everywhere, d)) / CountAtLeast(everywhere, 2.0 * d);
    EXPECT_NEAR(ratio, 4.0, 0.6);
  }
  for (const FieldCrater& c : everywhere.craters) {
    ASSERT_GE(2.0 * c.radiusKm, kSmallestCraterKm - 1e-9);
    ASSERT_LE(2.0 * c.radiusKm, kLargestCraterKm + 1e-9);
    ASSERT_NEAR(Length(c.centre), 1.0, 1e-9);
    ASSERT_GT(c.floorM, 0.0);
  }

  // A fifth of the density in the north gives about a fifth of the craters per area there.
  const CraterField split = MakeCraterField(1, [](const Vec3d& p) { return p.y > 0.0 ? 0.2 : 1.0; });
  const double north = std::count_if(split.craters.begin(), split.craters.end(), [](const FieldCrater& c) { return c.centre.y > 0.0; });
  const double south = static_cast<double>(split.craters.size()) - north;
  EXPECT_NEAR(north / south, 0.2, 0.02);
}

TEST(CraterField, SameSeedSameCraters) {
  const auto density = [](const Vec3d& p) { return 0.5 + 0.5 * p.x; };
  const CraterField a = MakeCraterField(7, density), b = MakeCraterField(7, density), c = MakeCraterField(8, density);
  ASSERT_EQ(a.craters.size(), b.craters.size());
  for (size_t k = 0; k < a.craters.size(); ++k) {
    ASSERT_EQ(a.craters[k].centre.x, b.craters[k].centre.x);
    ASSERT_EQ(a.craters[k].radiusKm, b.craters[k].radiusKm);
  }
  EXPECT_NE(a.craters[0].centre.x, c.craters[0].centre.x);
}

TEST(CraterField, LookupFindsEveryCraterThatReachesAPoint) {
  const CraterField field = MakeCraterField(3, [](const Vec3d&) { return 1.0; });
  RandomStream random(99);
  // Random points, and points where the binning wraps: the poles and longitude 0.
  std::vector<Vec3d> points;
  for (int k = 0; k < 1500; ++k) points.push_back(random.Direction());
  for (double lat : {-90.0, -89.9, -89.3, 0.0, 45.0, 89.5, 90.0})
    for (double lon : {0.0, 0.01, 180.0, 359.99}) points.push_back(UnitVectorAt(lat, lon));
  size_t covered = 0;
  for (const Vec3d& p : points) {
    const CraterSpan span = CratersNear(field, LatitudeOf(p), LongitudeOf(p));
    for (uint32_t k = 0; k < field.craters.size(); ++k) {
      const FieldCrater& c = field.craters[k];
      if (Dot(p, c.centre) < 0.999) continue;  // over 150 km away: out of any crater's reach
      if (SurfaceDistanceKm(p, c.centre) > kCraterReach * c.radiusKm) continue;
      ++covered;
      ASSERT_NE(std::find(span.begin, span.end, k), span.end)
          << "crater " << k << " missed at " << LatitudeOf(p) << ", " << LongitudeOf(p);
    }
  }
  EXPECT_GT(covered, 100u);  // the check saw plenty of covered points
}

}  // namespace
