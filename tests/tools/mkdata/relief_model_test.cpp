// The synthesized relief: Mars' landforms at their real places and heights, Olympus the highest
// point and Hellas the lowest, whatever the seed; named craters as bowls where they belong, the
// crater population on the old terrains; the same heights for the same seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "tools/mkdata/relief_model.h"

namespace {

// A model without an imported colour map, as the builder makes by default. Made once per seed.
const ReliefModel& Model(uint32_t seed) {
  static std::map<uint32_t, ReliefModel> models;
  ReliefModel& model = models[seed];
  if (model.landforms.empty()) MakeReliefModel(seed, SourceImage{}, 2, model);
  return model;
}

constexpr double kLevel8SpacingKm = 7.4;

double Height(const ReliefModel& model, double latDeg, double lonDeg) {
  return ReliefHeight(model, latDeg, lonDeg, kLevel8SpacingKm);
}

TEST(ReliefModel, LandformsSitAtTheirPlacesForEverySeed) {
  struct Case {
    const char* where;
    double latDeg, lonDeg;
    double lowM, highM;
  };
  const Case cases[] = {
      {"Olympus Mons caldera", 18.65, 226.2, 18000, 21900},
      {"Ascraeus Mons", 11.9, 255.9, 14000, 18500},
      {"Pavonis Mons", 1.5, 247.0, 12000, 15500},
      {"Arsia Mons", -8.3, 239.1, 15000, 18200},
      {"Elysium Mons", 25.0, 147.2, 11500, 13000},
      {"Alba Mons", 40.5, 250.4, 5500, 7500},
      {"Syria Planum, on the Tharsis rise", -12.0, 256.0, 4500, 10000},
      {"Hellas floor", -42.4, 70.5, -8200, -6800},
      {"Argyre floor", -49.7, 316.0, -5000, -3000},
      {"Isidis floor", 12.9, 87.0, -4600, -3200},
      {"Utopia", 49.7, 118.0, -5500, -4000},
      {"Acidalia, northern plains", 50.0, 340.0, -5500, -3200},
      {"Amazonis, northern plains", 10.0, 195.0, -5500, -3200},
      {"Noachis Terra, southern highlands", -45.0, 350.0, 0, 3500},
      {"Terra Cimmeria, southern highlands", -30.0, 150.0, 0, 3500},
      {"Coprates Chasma floor", -13.9, 300.8, -6500, -3000},
      {"Eos chaos", -15.0, 320.0, -4500, 1000},
      {"north polar plateau", 90.0, 0.0, -2500, 0},
  };
  for (uint32_t seed : {1u, 2u, 77u}) {
    const ReliefModel& model = Model(seed);
    for (const Case& c : cases) {
      const double h = Height(model, c.latDeg, c.lonDeg);
      EXPECT_GE(h, c.lowM) << c.where << ", seed " << seed;
      EXPECT_LE(h, c.highM) << c.where << ", seed " << seed;
    }
  }
}

TEST(ReliefModel, CanyonsAndCapsStandOutFromTheirSurroundings) {
  const ReliefModel& model = Model(1);
  struct Case {
    const char* what;
    double lat, lon;            // the feature
    double besideLat, besideLon;  // the ground around it
    double lowM, highM;         // feature minus surroundings
  };
  const Case cases[] = {
      {"Coprates Chasma below its rim", -13.9, 300.8, -11.0, 300.8, -8500, -5000},
      {"Ius Chasma below its rim", -8.0, 277.0, -5.5, 277.0, -8000, -4500},
      {"Melas Chasma below its rim", -9.8, 283.5, -13.0, 282.0, -8000, -4000},
      {"Olympus summit over its base", 18.9, 226.2, 18.65, 215.0, 18000, 26000},
      {"north polar deposits over the plains", 88.0, 40.0, 75.0, 40.0, 1500, 3500},
      {"south polar deposits over the highlands", -86.5, 330.0, -72.0, 330.0, 1500, 4000},
      {"Hellas rim over the floor", -23.0, 70.5, -42.4, 70.5, 6000, 11000},
  };
  for (const Case& c : cases) {
    const double difference = Height(model, c.lat, c.lon) - Height(model, c.besideLat, c.besideLon);
    EXPECT_GE(difference, c.lowM) << c.what;
    EXPECT_LE(difference, c.highM) << c.what;
  }
}

TEST(ReliefModel, NamedCratersAreBowlsAtTheirPlaces) {
  struct Case {
    const char* name;
    double latDeg, lonDeg, radiusKm;
  };
  const Case cases[] = {
      {"Schiaparelli", -2.7, 16.7, 230.5}, {"Huygens", -14.0, 55.6, 233.5}, {"Lyot", 50.8, 29.3, 118.0},
      {"Newton", -40.5, 201.9, 149.0},     {"Jezero", 18.4, 77.5, 24.5},
  };
  for (uint32_t seed : {1u, 2u}) {
    const ReliefModel& model = Model(seed);
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      // Floor (a third of the radius out, clear of any central peak) against the rim, due north.
      const double floor = Height(model, c.latDeg - 0.3 * c.radiusKm / kKmPerDegree, c.lonDeg);
      const double rim = Height(model, c.latDeg + c.radiusKm / kKmPerDegree, c.lonDeg);
      EXPECT_LT(floor, rim - 500.0) << "seed " << seed;
    }
    // Gale's mound rises from its floor to near the height of the rim.
    const double mound = Height(model, -5.4, 137.8);
    const double galeFloor = Height(model, -5.4 - 0.75 * 77.0 / kKmPerDegree, 137.8);
    EXPECT_GT(mound, galeFloor + 2500.0) << "seed " << seed;
  }
}

TEST(ReliefModel, CraterPopulationCrowdsTheOldHighlands) {
  const ReliefModel& model = Model(1);
  ASSERT_GT(model.craters.craters.size(), 20000u);
  // Craters per million square km: southern highlands against the northern plains.
  auto density = [&](double southDeg, double northDeg, double westDeg, double eastDeg) {
    size_t count = 0;
    for (const FieldCrater& c : model.craters.craters) {
      const double lat = std::asin(c.centre.y) / kDegree;
      double lon = std::atan2(c.centre.x, c.centre.z) / kDegree;
      if (lon < 0.0) lon += 360.0;
      if (lat >= southDeg && lat < northDeg && lon >= westDeg && lon < eastDeg) ++count;
    }
    const double area = kSurfaceRadiusKm * kSurfaceRadiusKm * (eastDeg - westDeg) * kDegree *
                        (std::sin(northDeg * kDegree) - std::sin(southDeg * kDegree));
    return count / area * 1e6;
  };
  const double highlands = density(-50.0, -15.0, 0.0, 60.0) + density(-50.0, -15.0, 120.0, 180.0);
  const double plains = density(45.0, 70.0, 150.0, 210.0) + density(40.0, 60.0, 320.0, 360.0);
  EXPECT_GT(highlands, 2.5 * plains) << highlands << " against " << plains;
  // None on the young shields, the polar plateaus or the floor of Valles Marineris.
  for (const FieldCrater& c : model.craters.craters) {
    ASSERT_GT(SurfaceDistanceKm(c.centre, UnitVectorAt(18.65, 226.2)), 200.0);
    ASSERT_GT(SurfaceDistanceKm(c.centre, UnitVectorAt(90.0, 0.0)), 500.0);
    ASSERT_GT(SurfaceDistanceKm(c.centre, UnitVectorAt(-9.8, 283.5)), 40.0);
  }
}

TEST(ReliefModel, OlympusIsTheHighestAndHellasTheLowest) {
  for (uint32_t seed : {1u, 2u}) {
    const ReliefModel& model = Model(seed);
    double highest = -1e9, lowest = 1e9;
    Vec3d highAt{}, lowAt{};
    for (double lat = -90.0; lat <= 90.0; lat += 0.25)
      for (double lon = 0.0; lon < 360.0; lon += 0.25 / std::max(0.05, std::cos(lat * kDegree))) {
        const double h = Height(model, lat, lon);
        ASSERT_GT(h, -32768.0);
        ASSERT_LT(h, 32767.0);
        if (h > highest) highest = h, highAt = UnitVectorAt(lat, lon);
        if (h < lowest) lowest = h, lowAt = UnitVectorAt(lat, lon);
      }
    EXPECT_GT(highest, 21000.0) << "seed " << seed;
    EXPECT_LT(SurfaceDistanceKm(highAt, UnitVectorAt(18.65, 226.2)), 60.0) << "seed " << seed;
    EXPECT_LT(lowest, -7000.0) << "seed " << seed;
    EXPECT_LT(SurfaceDistanceKm(lowAt, UnitVectorAt(-42.4, 70.5)), 1000.0) << "seed " << seed;
  }
}

TEST(ReliefModel, SameSeedSameHeightsOtherSeedOtherDetail) {
  ReliefModel again;
  MakeReliefModel(1, SourceImage{}, 1, again);  // one thread this time
  const ReliefModel& first = Model(1);
  const ReliefModel& other = Model(2);
  int differing = 0;
  for (int k = 0; k < 2000; ++k) {
    const double lat = -89.0 + std::fmod(k * 37.1, 178.0), lon = std::fmod(k * 97.3, 360.0);
    ReliefDetail detail1, detail2;
    const double h = ReliefHeight(first, lat, lon, 1.85, &detail1);
    ASSERT_EQ(h, ReliefHeight(again, lat, lon, 1.85, &detail2)) << lat << " " << lon;
    ASSERT_EQ(detail1.fine, detail2.fine);
    ASSERT_EQ(detail1.craterFloor, detail2.craterFloor);
    for (double share : {detail1.craterFloor, detail1.craterRim, detail1.canyonFloor, detail1.canyonWall, detail1.lowland}) {
      EXPECT_GE(share, 0.0);
      EXPECT_LE(share, 1.0);
    }
    EXPECT_GE(detail1.fine, -1.0);
    EXPECT_LE(detail1.fine, 1.0);
    if (std::fabs(h - ReliefHeight(other, lat, lon, 1.85)) > 20.0) ++differing;
  }
  EXPECT_GT(differing, 1800);
}

TEST(ReliefModel, FinerNodesGetFinerRoughness) {
  // Along a short line in the plains, heights vary more from node to node at 1.85 km spacing
  // (level 32) than the same places do at 7.4 km (level 8), which has no octaves that fine.
  const ReliefModel& model = Model(1);
  double fine = 0.0, coarse = 0.0;
  for (int k = 1; k < 400; ++k) {
    const double lon = 195.0 + k * 1.85 / kKmPerDegree, previous = lon - 1.85 / kKmPerDegree;
    fine += std::fabs(ReliefHeight(model, 10.0, lon, 1.85) - ReliefHeight(model, 10.0, previous, 1.85));
    coarse += std::fabs(ReliefHeight(model, 10.0, lon, 7.4) - ReliefHeight(model, 10.0, previous, 7.4));
  }
  EXPECT_GT(fine, 1.5 * coarse);
}

}  // namespace
