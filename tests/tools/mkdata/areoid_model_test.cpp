// The model areoid: Mars' oblate shape with the Tharsis geoid high, inside what the water shell allows.
#include <gtest/gtest.h>

#include "tools/mkdata/areoid_model.h"
#include "tools/mkdata/level_writer.h"

namespace {

TEST(AreoidModel, FollowsMarsShape) {
  struct Case {
    const char* where;
    double latDeg, lonDeg;
    double heightM, tolerance;
  };
  const Case cases[] = {
      {"equator, far from Tharsis", 0.0, 60.0, 200.0, 20.0},
      {"north pole", 90.0, 0.0, -19800.0, 1.0},
      {"south pole", -90.0, 123.0, -19800.0, 1.0},
      {"45 degrees", 45.0, 60.0, -9800.0, 150.0},
      {"Tharsis geoid high", -2.0, 252.0, 1676.0, 20.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    EXPECT_NEAR(ModelAreoidHeight(UnitVectorAt(c.latDeg, c.lonDeg)), c.heightM, c.tolerance);
  }
  // Falling steadily from equator to pole, and never below what keeps the full sea outside the
  // water shell's inner radius.
  double previous = 1e9;
  for (double lat = 0.0; lat <= 90.0; lat += 1.0) {
    const double h = ModelAreoidHeight(UnitVectorAt(lat, 60.0));
    EXPECT_LT(h, previous) << lat;
    EXPECT_GT(h, kLowestAreoidUnderSeaM) << lat;
    previous = h;
  }
}

}  // namespace
