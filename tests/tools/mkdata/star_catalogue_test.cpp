// Star conversion into the planet frame (Mars' pole at RA 317.681, Dec 52.887), the reading of an
// imported star list, the split into the bright and the dim file, and the star colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tools/mkdata/star_catalogue.h"

namespace {

double AngleBetween(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return std::min(d, 360.0 - d);
}

TEST(StarCatalogue, EquatorialDirectionsLandInThePlanetFrame) {
  struct Case {
    const char* where;
    double raDeg, decDeg;
    double elevationDeg;
    double azimuthDeg;  // NaN: undefined (on the polar axis)
  };
  const double none = std::nan("");
  const Case cases[] = {
      {"Mars' north pole", 317.681, 52.887, 90.0, none},
      {"Mars' south pole", 137.681, -52.887, -90.0, none},
      {"ascending node of Mars' equator", 47.681, 0.0, 0.0, 0.0},
      {"opposite node", 227.681, 0.0, 0.0, 180.0},
      {"Mars' equator a quarter turn east of the node", 137.681, 37.113, 0.0, 90.0},
      {"Earth's north celestial pole", 0.0, 90.0, 52.887, 90.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    const PlanetSkyAngles angles = EquatorialToPlanet(c.raDeg, c.decDeg);
    EXPECT_NEAR(angles.elevationDeg, c.elevationDeg, 1e-6);
    if (!std::isnan(c.azimuthDeg)) {
      EXPECT_NEAR(AngleBetween(angles.azimuthDeg, c.azimuthDeg), 0.0, 1e-6);
    }
    EXPECT_GE(angles.azimuthDeg, 0.0);
    EXPECT_LT(angles.azimuthDeg, 360.0);
  }
}

TEST(StarCatalogue, SplitsByMagnitudeWithFadingTintedStars) {
  TempFolder folder;
  const std::string text =
      "# Dec RA Mag Name\n"
      "\n"
      "-16.7161  6.7525 -1.46 \"Sirius\"\n"
      " 38.7836 18.6156  3.50 \"Vega at the limit\"\n"
      " 10.0000  2.0000  3.51\n"
      " 52.887  21.178733 7.96\n";
  ASSERT_TRUE(WriteFileBytes((folder / "BSC").string(), text.data(), text.size()));
  std::vector<CatalogueStar> stars;
  std::string error;
  ASSERT_TRUE(ReadStarList((folder / "BSC").string(), stars, error)) << error;
  ASSERT_EQ(stars.size(), 4u);
  EXPECT_DOUBLE_EQ(stars[0].raHours, 6.7525);
  EXPECT_DOUBLE_EQ(stars[3].magnitude, 7.96);

  std::vector<StarRecord> bright, dim;
  MakeStarRecords(stars, bright, dim);
  ASSERT_EQ(bright.size(), 2u);
  ASSERT_EQ(dim.size(), 2u);
  EXPECT_NEAR(dim[1].elevation, 90.0f, 1e-4f);  // the star at Mars' pole
  const PlanetSkyAngles sirius = EquatorialToPlanet(6.7525 * 15.0, -16.7161);
  EXPECT_FLOAT_EQ(bright[0].elevation, static_cast<float>(sirius.elevationDeg));
  EXPECT_FLOAT_EQ(bright[0].azimuth, static_cast<float>(sirius.azimuthDeg));

  // An imported list has no colours: its stars are white.
  EXPECT_TRUE(bright[0].colour.r == bright[0].colour.g && bright[0].colour.g == bright[0].colour.b);

  // Dimming with magnitude whatever the colour, Sirius alone at full brightness, the faintest
  // still clearly visible on black.
  for (double index : {-0.3, 0.0, kWhiteColourIndex, 1.1, 1.85}) {
    SCOPED_TRACE(index);
    int previous = 256;
    for (double magnitude = -1.46; magnitude <= 8.0; magnitude += 0.25) {
      const Colour c = StarColour(magnitude, index);
      const int level = std::max({c.r, c.g, c.b});
      EXPECT_EQ(level, c.a) << magnitude;
      // Strictly dimmer up to 6.5, the faintest drawn; a floor keeps anything fainter visible.
      if (magnitude <= 6.5) {
        EXPECT_LT(level, previous) << magnitude;
      } else {
        EXPECT_LE(level, previous) << magnitude;
      }
      EXPECT_GE(level, 48) << magnitude;
      previous = level;
    }
  }
  EXPECT_EQ(StarColour(-1.46, 0.0).a, 255);
  EXPECT_LT(StarColour(-0.74, 0.15).a, 255);
  // Pale tints: bluish for hot stars, orange for cool ones, white in between, never saturated.
  const Colour hot = StarColour(1.0, -0.25), white = StarColour(1.0, kWhiteColourIndex), cool = StarColour(1.0, 1.6);
  EXPECT_GT(hot.b, hot.r + 20);
  EXPECT_TRUE(white.r == white.g && white.g == white.b);
  EXPECT_GT(cool.r, cool.b + 40);
  for (const Colour& c : {hot, cool}) EXPECT_GT(std::min({c.r, c.g, c.b}), std::max({c.r, c.g, c.b}) / 2);
}

TEST(StarCatalogue, RejectsWhatIsNotAStarList) {
  TempFolder folder;
  struct Case {
    const char* text;  // null: no file at all
    const char* message;
  };
  const Case cases[] = {
      {nullptr, "cannot open the star list"},
      {"# only comments\n\n", "holds no stars"},
      {" 10.0 2.0 3.0\n 12.5 abc 3.0\n", "line 2 is not a star"},
      {" 10.0 25.0 3.0\n", "line 1 is not a star"},   // right ascension past 24 hours
      {" 95.0 2.0 3.0\n", "line 1 is not a star"},    // declination past the pole
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const std::string path = (folder / "stars").string();
    std::remove(path.c_str());
    if (c.text) {
      ASSERT_TRUE(WriteFileBytes(path, c.text, std::strlen(c.text)));
    }
    std::vector<CatalogueStar> stars;
    std::string error;
    EXPECT_FALSE(ReadStarList(path, stars, error));
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
    EXPECT_NE(error.find(path), std::string::npos) << error;
  }
}

}  // namespace
