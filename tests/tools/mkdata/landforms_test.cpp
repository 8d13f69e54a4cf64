// The marker file (west longitudes turned east) and the craters it places.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tools/mkdata/landforms.h"

namespace {

TEST(Landforms, MarkersTurnWestLongitudesEast) {
  TempFolder folder;
  const std::string text =
      "# Contributed markers\n"
      "\n"
      " 18.4  133.1\t\"Olympus Mons\"\t\tcolor=Gray\n"
      "-16.2, 21.3\t\"MARGARITIFER TERRA\"\tcolor=DarkOrange # align=above\n"
      " -2.5 343.4\t\"Schiaparelli\"\n"
      " 90.00    0.00 \"North Pole\"\n";
  const std::string path = (folder / "mars").string();
  ASSERT_TRUE(WriteFileBytes(path, text.data(), text.size()));
  std::vector<Marker> markers;
  std::string error;
  ASSERT_TRUE(ReadMarkers(path, true, markers, error)) << error;
  struct Expected {
    const char* name;
    double latDeg, lonDeg;
  };
  const Expected expected[] = {
      {"Olympus Mons", 18.4, 226.9}, {"MARGARITIFER TERRA", -16.2, 338.7}, {"Schiaparelli", -2.5, 16.6}, {"North Pole", 90.0, 0.0}};
  ASSERT_EQ(markers.size(), std::size(expected));
  for (size_t k = 0; k < markers.size(); ++k) {
    EXPECT_EQ(markers[k].name, expected[k].name);
    EXPECT_DOUBLE_EQ(markers[k].latDeg, expected[k].latDeg);
    EXPECT_NEAR(markers[k].lonDeg, expected[k].lonDeg, 1e-9) << expected[k].name;
  }
  // Only named craters of known size become landforms.
  const std::vector<Landform> craters = CratersFromMarkers(markers);
  ASSERT_EQ(craters.size(), 1u);
  EXPECT_EQ(craters[0].name, "Schiaparelli");
  EXPECT_EQ(craters[0].kind, LandformKind::Crater);
  EXPECT_NEAR(craters[0].radiusKm, 230.5, 1e-9);
  EXPECT_NEAR(craters[0].lonDeg, 16.6, 1e-9);

  const std::string broken = " 10.0 20.0 \"fine\"\nnot a marker\n";
  ASSERT_TRUE(WriteFileBytes(path, broken.data(), broken.size()));
  EXPECT_FALSE(ReadMarkers(path, true, markers, error));
  EXPECT_NE(error.find("line 2"), std::string::npos) << error;
  EXPECT_FALSE(ReadMarkers((folder / "missing").string(), true, markers, error));
  EXPECT_NE(error.find("cannot open the marker file"), std::string::npos) << error;
}

}  // namespace
