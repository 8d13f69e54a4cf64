// The synthesized colours: Mars' dark regions darker than its bright ones at their real places for
// every seed, white polar ice over rusty ground, opaque nodes, and close-view detail that follows
// the relief (crater rims brighter than floors, finer mottling on finer nodes).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "tools/mkdata/albedo_model.h"
#include "tools/mkdata/random_stream.h"

namespace {

constexpr double kLevel8SpacingKm = 7.4, kLevel32SpacingKm = 1.85;

const AlbedoModel& Albedo(uint32_t seed) {
  static std::map<uint32_t, AlbedoModel> models;
  AlbedoModel& model = models[seed];
  if (model.dark.empty()) MakeAlbedoModel(seed, 2, model);
  return model;
}

int Brightness(const Colour& c) { return c.r + c.g + c.b; }

// Mean brightness over a patch about 120 km across, on plain ground.
double PatchBrightness(const AlbedoModel& model, double latDeg, double lonDeg) {
  double sum = 0.0;
  int count = 0;
  for (double dLat = -1.0; dLat <= 1.0; dLat += 0.5)
    for (double dLon = -1.0; dLon <= 1.0; dLon += 0.5, ++count)
      sum += Brightness(AlbedoColour(model, latDeg + dLat, lonDeg + dLon, 0.0, ReliefDetail{}, kLevel8SpacingKm));
  return sum / count;
}

TEST(AlbedoModel, DarkRegionsAreDarkerThanBrightOnes) {
  struct Case {
    const char* dark;
    double darkLat, darkLon;
    const char* bright;
    double brightLat, brightLon;
  };
  const Case cases[] = {
      {"Syrtis Major", 10.0, 69.0, "Arabia Terra", 22.0, 25.0},
      {"Sinus Sabaeus", -8.0, 25.0, "Arabia Terra", 22.0, 25.0},
      {"Sinus Meridiani", -3.0, 2.0, "Arabia Terra", 22.0, 25.0},
      {"Mare Acidalium", 47.0, 330.0, "Tharsis", 8.0, 250.0},
      {"Mare Erythraeum", -25.0, 327.0, "Argyre floor", -50.0, 316.0},
      {"Mare Cimmerium", -24.0, 150.0, "Elysium", 22.0, 148.0},
      {"Mare Sirenum", -31.0, 198.0, "Amazonis", 12.0, 200.0},
      {"Mare Tyrrhenum", -16.0, 105.0, "Hellas floor", -42.0, 70.0},
      {"Utopia", 46.0, 105.0, "Arcadia", 45.0, 205.0},
  };
  for (uint32_t seed : {1u, 2u, 3u}) {
    const AlbedoModel& model = Albedo(seed);
    for (const Case& c : cases) {
      const double dark = PatchBrightness(model, c.darkLat, c.darkLon);
      const double bright = PatchBrightness(model, c.brightLat, c.brightLon);
      EXPECT_LT(dark, 0.75 * bright) << c.dark << " against " << c.bright << ", seed " << seed;
    }
  }
}

TEST(AlbedoModel, PolarIceIsWhiteOverRustyGroundAndEveryNodeOpaque) {
  const AlbedoModel& model = Albedo(1);
  for (double lon = 0.0; lon < 360.0; lon += 15.0) {
    SCOPED_TRACE(lon);
    const Colour ice = AlbedoColour(model, 89.0, lon, 0.0, ReliefDetail{}, kLevel8SpacingKm);
    EXPECT_GT(std::min({ice.r, ice.g, ice.b}), 215);
    EXPECT_LT(ice.r - ice.b, 20);
  }
  const Colour southIce = AlbedoColour(model, -87.0, 315.0, 0.0, ReliefDetail{}, kLevel8SpacingKm);
  EXPECT_GT(std::min({southIce.r, southIce.g, southIce.b}), 215);
  // Away from the caps the ground is rust: red well above blue everywhere.
  RandomStream random(5);
  for (int k = 0; k < 4000; ++k) {
    const double lat = random.Uniform(-90.0, 90.0), lon = random.Uniform(0.0, 360.0);
    ReliefDetail detail;
    detail.fine = random.Uniform(-1.0, 1.0);
    detail.craterFloor = random.Uniform();
    detail.craterRim = random.Uniform();
    detail.canyonWall = random.Uniform();
    const Colour c = AlbedoColour(model, lat, lon, random.Uniform(-9000.0, 22000.0), detail, kLevel32SpacingKm);
    ASSERT_EQ(c.a, 255) << lat << " " << lon;
    if (std::fabs(lat) < 60.0) {
      ASSERT_GT(c.r, c.b + 25) << lat << " " << lon;
    }
  }
}

TEST(AlbedoModel, CloseViewsFollowTheRelief) {
  const AlbedoModel& albedo = Albedo(1);
  ReliefModel relief;
  MakeReliefModel(1, SourceImage{}, 2, relief);
  auto colourAt = [&](const Vec3d& p, double spacingKm) {
    const double lat = LatitudeOf(p), lon = LongitudeOf(p);
    ReliefDetail detail;
    const double h = ReliefHeight(relief, lat, lon, spacingKm, &detail);
    return Brightness(AlbedoColour(albedo, lat, lon, h, detail, spacingKm));
  };
  // Rims of the larger population craters against their floors.
  int craters = 0, brighterRims = 0;
  for (const FieldCrater& c : relief.craters.craters) {
    if (c.radiusKm < 12.0 || std::fabs(c.centre.y) > 0.8) continue;
    const double lat = LatitudeOf(c.centre), lon = LongitudeOf(c.centre);
    double rim = 0.0, floor = 0.0;
    for (int k = 0; k < 8; ++k) {
      const double angle = k * kPi / 4.0, r = c.radiusKm / kKmPerDegree;
      const double cosLat = std::cos(lat * kDegree);
      rim += colourAt(UnitVectorAt(lat + r * std::sin(angle), lon + r * std::cos(angle) / cosLat), kLevel32SpacingKm);
      floor += colourAt(UnitVectorAt(lat + 0.3 * r * std::sin(angle), lon + 0.3 * r * std::cos(angle) / cosLat), kLevel32SpacingKm);
    }
    ++craters;
    if (rim > floor) ++brighterRims;
    if (craters == 60) break;
  }
  ASSERT_EQ(craters, 60);
  EXPECT_GE(brighterRims, 50);

  // Neighbouring nodes differ, and more so on finer nodes, which get finer mottling.
  double fine = 0.0, coarse = 0.0;
  for (int k = 1; k < 400; ++k) {
    const double lon = 20.0 + k * kLevel32SpacingKm / kKmPerDegree, previous = lon - kLevel32SpacingKm / kKmPerDegree;
    fine += std::abs(colourAt(UnitVectorAt(-30.0, lon), kLevel32SpacingKm) - colourAt(UnitVectorAt(-30.0, previous), kLevel32SpacingKm));
    coarse += std::abs(colourAt(UnitVectorAt(-30.0, lon), kLevel8SpacingKm) - colourAt(UnitVectorAt(-30.0, previous), kLevel8SpacingKm));
  }
  EXPECT_GT(fine / 399.0, 2.0);
  EXPECT_GT(fine, 1.3 * coarse);
}

}  // namespace
