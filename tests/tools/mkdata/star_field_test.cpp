// The synthesized sky: star counts rising with magnitude as the real sky's do, Sirius the
// brightest record, every record's angles in range, the faint stars crowding towards the Milky
// Way, a spread of pale colours, and the same sky for the same seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tools/mkdata/sphere_geometry.h"
#include "tools/mkdata/star_field.h"

namespace {

TEST(StarField, CountsRiseWithMagnitudeAsTheSkysDo) {
  const std::vector<CatalogueStar> stars = SynthesizeStars(1);
  // Stars per whole magnitude, from [1, 2) to [5, 6): each about three times the one before (the
  // real sky's 10^0.5).
  int perMagnitude[8] = {};
  for (const CatalogueStar& star : stars) {
    ASSERT_LE(star.magnitude, kFaintestStarMagnitude);
    ++perMagnitude[std::clamp(static_cast<int>(std::floor(star.magnitude)), 0, 7)];
  }
  for (int m = 1; m <= 4; ++m) {
    SCOPED_TRACE(m);
    const double ratio = static_cast<double>(perMagnitude[m + 1]) / perMagnitude[m];
    EXPECT_GT(ratio, 2.4);
    EXPECT_LT(ratio, 4.0);
  }
  EXPECT_NEAR(static_cast<double>(stars.size()), StarsBrighterThan(kFaintestStarMagnitude), 0.02 * stars.size());
  const size_t bright = std::count_if(stars.begin(), stars.end(), [](const CatalogueStar& s) { return s.magnitude <= kBrightStarLimit; });
  EXPECT_NEAR(static_cast<double>(bright), StarsBrighterThan(kBrightStarLimit), 25.0);
}

TEST(StarField, SiriusIsTheBrightestAndEveryRecordInRange) {
  std::vector<StarRecord> bright, dim;
  MakeStarRecords(SynthesizeStars(4), bright, dim);
  ASSERT_FALSE(bright.empty());
  const PlanetSkyAngles sirius = EquatorialToPlanet(6.7525 * 15.0, -16.716);
  EXPECT_NEAR(bright[0].elevation, sirius.elevationDeg, 1e-4);
  EXPECT_NEAR(bright[0].azimuth, sirius.azimuthDeg, 1e-4);
  EXPECT_EQ(bright[0].colour.a, 255);
  for (const std::vector<StarRecord>* file : {&bright, &dim})
    for (size_t k = 0; k < file->size(); ++k) {
      const StarRecord& r = (*file)[k];
      if (file != &bright || k > 0) {
        ASSERT_LT(r.colour.a, 255) << k;
      }
      ASSERT_GE(r.elevation, -90.0f);
      ASSERT_LE(r.elevation, 90.0f);
      ASSERT_GE(r.azimuth, 0.0f);
      ASSERT_LT(r.azimuth, 360.0f);
      ASSERT_GE(r.colour.a, 48);
    }
  // The dim file holds the faint stars only: none of them as bright as the bright file's faintest.
  uint8_t faintestBright = 255, brightestDim = 0;
  for (const StarRecord& r : bright) faintestBright = std::min(faintestBright, r.colour.a);
  for (const StarRecord& r : dim) brightestDim = std::max(brightestDim, r.colour.a);
  EXPECT_LE(brightestDim, faintestBright);
}

TEST(StarField, FaintStarsCrowdTowardsTheMilkyWay) {
  const std::vector<CatalogueStar> stars = SynthesizeStars(2);
  // Stars per unit of sky within 15 degrees of the galactic plane against beyond 45 degrees.
  double plane = 0.0, high = 0.0;
  for (const CatalogueStar& star : stars) {
    if (star.magnitude < 5.0) continue;
    const double b = std::fabs(GalacticLatitudeDeg(star.raHours * 15.0, star.decDeg));
    if (b < 15.0) ++plane;
    if (b > 45.0) ++high;
  }
  const double planeShare = std::sin(15.0 * kDegree), highShare = 1.0 - std::sin(45.0 * kDegree);
  EXPECT_GT(plane / planeShare, 2.0 * high / highShare);
  // The galactic centre lies in Sagittarius: check the pole the crowding is measured from.
  EXPECT_NEAR(GalacticLatitudeDeg(266.4, -28.94), 0.0, 0.2);
}

TEST(StarField, PaleColoursAndTheSameSkyForTheSameSeed) {
  const std::vector<CatalogueStar> stars = SynthesizeStars(3);
  // Hues compared at one brightness (faint stars' channels are too small to tell apart).
  size_t bluish = 0, orange = 0;
  for (const CatalogueStar& star : stars) {
    const Colour c = StarColour(1.0, star.colourIndex);
    if (c.b > c.r + 10) ++bluish;
    if (c.r > c.b + 30) ++orange;
  }
  EXPECT_GT(bluish, stars.size() / 5);
  EXPECT_GT(orange, stars.size() / 5);

  const std::vector<CatalogueStar> again = SynthesizeStars(3), other = SynthesizeStars(4);
  ASSERT_EQ(again.size(), stars.size());
  for (size_t k = 0; k < stars.size(); ++k) {
    ASSERT_EQ(again[k].raHours, stars[k].raHours);
    ASSERT_EQ(again[k].magnitude, stars[k].magnitude);
  }
  // The table's stars stay; the drawn ones move with the seed.
  EXPECT_EQ(other[0].raHours, stars[0].raHours);
  EXPECT_NE(other.back().raHours, stars.back().raHours);
}

}  // namespace
