// The default data set against the data sources it is built from: heights at landmarks against the
// MOLA grid itself, the colour mosaic's dark and bright regions, the real sky's bright stars where
// the J2000 catalogue puts them, seen from Mars' frame, and star colours from B - V. The expected
// values are computed here from the source files, independently of the builder's code.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "mapdata/map_formats.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/tools/mkdata/mkdata_sources.h"
#include "tools/mkdata/level_writer.h"
#include "tools/mkdata/node_grid.h"

namespace {

constexpr double kDeg = 3.14159265358979323846 / 180.0;
constexpr uint32_t kLevel = 8;

struct Node {
  uint64_t index;
  double latDeg, lonDeg;
};

class RealDataTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder = new TempFolder;
    MkdataOptions options;
    options.outputFolder = folder->str();
    options.levels = {kLevel};
    options.threads = 2;
    std::string error;
    built = RunMkdataQuietly(options, error);
    ASSERT_TRUE(built) << error;
    counts = NodeRowCounts(kLevel);
    topo = ReadFileBytes(folder->str() + "/topo8.hex");
    areoid = ReadFileBytes(folder->str() + "/areoid8.hex");
    mars = ReadFileBytes(folder->str() + "/mars8.hex");
    bright = ReadFileBytes(folder->str() + "/starsbr.hex");
    dim = ReadFileBytes(folder->str() + "/starsdim.hex");
    mola = ReadFileBytes(std::string(REDSPHERE_SOURCES_DIR) + "/mola/MEGT90N000CB.IMG");
  }
  static void TearDownTestSuite() {
    delete folder;
    folder = nullptr;
  }

  static Node NearestNode(double latDeg, double lonDeg) {
    const uint32_t row = static_cast<uint32_t>(std::lround((latDeg + 90.0) * kLevel));
    uint64_t index = 0;
    for (uint32_t i = 0; i < row; ++i) index += counts[i];
    const uint32_t count = counts[row];
    const uint32_t j = static_cast<uint32_t>(std::lround(lonDeg / 360.0 * count)) % count;
    return {index + j, -90.0 + row / double(kLevel), 360.0 * j / count};
  }
  static int16_t Topo(uint64_t node) {
    int16_t v;
    std::memcpy(&v, &topo[node * 2], 2);
    return v;
  }
  // The MOLA grid's height at a place, bilinear between its cell centres (big-endian samples,
  // line 0 at the north, sample 0 starting at longitude 0).
  static double Mola(double latDeg, double lonDeg) {
    auto at = [](int line, int sample) {
      line = std::clamp(line, 0, 719);
      sample = (sample % 1440 + 1440) % 1440;
      const size_t k = (size_t(line) * 1440 + size_t(sample)) * 2;
      return double(int16_t(uint16_t(mola[k] << 8 | mola[k + 1])));
    };
    const double y = (90.0 - latDeg) * 4.0 - 0.5, x = lonDeg * 4.0 - 0.5;
    const int l = int(std::floor(y)), s = int(std::floor(x));
    const double fy = y - l, fx = x - s;
    return (at(l, s) * (1 - fx) + at(l, s + 1) * fx) * (1 - fy) + (at(l + 1, s) * (1 - fx) + at(l + 1, s + 1) * fx) * fy;
  }
  // Mean brightness of the present-day colours within a box of degrees around a place.
  static double Brightness(double latDeg, double lonDeg, double halfDeg) {
    double sum = 0;
    int n = 0;
    for (double lat = latDeg - halfDeg; lat <= latDeg + halfDeg; lat += 0.25)
      for (double lon = lonDeg - halfDeg; lon <= lonDeg + halfDeg; lon += 0.25) {
        const uint8_t* c = &mars[NearestNode(lat, lon).index * 4];
        sum += 0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2];
        ++n;
      }
    return sum / n;
  }

  static TempFolder* folder;
  static bool built;
  static std::vector<uint32_t> counts;
  static std::vector<uint8_t> topo, areoid, mars, bright, dim, mola;
};
TempFolder* RealDataTest::folder = nullptr;
bool RealDataTest::built = false;
std::vector<uint32_t> RealDataTest::counts;
std::vector<uint8_t> RealDataTest::topo, RealDataTest::areoid, RealDataTest::mars, RealDataTest::bright,
    RealDataTest::dim, RealDataTest::mola;

TEST_F(RealDataTest, HeightsAreMolaWhereTheMeshBandLeavesThemAlone) {
  ASSERT_TRUE(built);
  const std::vector<uint8_t> about = ReadFileBytes(folder->str() + "/" + kDataDescriptionName);
  EXPECT_NE(std::string(about.begin(), about.end()).find("relief: MOLA MEGDR"), std::string::npos);
  ASSERT_EQ(mola.size(), 1440u * 720u * 2u);
  // Flat or gently sloping floors: the smooth resampling and the detail stay within 150 m of the
  // grid (the detail follows the local roughness, which is small there).
  struct Landmark {
    const char* name;
    double latDeg, lonDeg, toleranceM;
  };
  const Landmark floors[] = {
      {"Hellas floor", -42.4, 70.5, 150.0},
      {"Utopia Planitia", 45.0, 110.0, 150.0},
      {"Vastitas Borealis", 70.0, 200.0, 150.0},
      {"Argyre floor", -49.7, 316.0, 200.0},
      {"Meridiani Planum", -2.0, 354.5, 150.0},
  };
  for (const Landmark& m : floors) {
    const Node node = NearestNode(m.latDeg, m.lonDeg);
    const double expected = Mola(node.latDeg, node.lonDeg);
    EXPECT_NEAR(Topo(node.index), expected, m.toleranceM) << m.name;
  }
  EXPECT_LT(Topo(NearestNode(-42.4, 70.5).index), -5500) << "Hellas is the deepest basin";

  // The great shields are eased under the mesh's ceiling but keep their order: Olympus is the
  // highest point of the whole level, with Arsia (17.7 km in MOLA) below it and still high.
  int16_t highest = INT16_MIN;
  uint64_t highestNode = 0;
  for (uint64_t k = 0; k < topo.size() / 2; ++k)
    if (Topo(k) > highest) highest = Topo(k), highestNode = k;
  uint64_t index = 0;
  uint32_t row = 0;
  while (index + counts[row] <= highestNode) index += counts[row++];
  const double summitLat = -90.0 + row / double(kLevel), summitLon = 360.0 * (highestNode - index) / counts[row];
  // The grid's own highest sample (on Olympus' caldera rim).
  size_t molaTop = 0;
  for (size_t k = 0; k < mola.size() / 2; ++k)
    if (int16_t(uint16_t(mola[2 * k] << 8 | mola[2 * k + 1])) > int16_t(uint16_t(mola[2 * molaTop] << 8 | mola[2 * molaTop + 1])))
      molaTop = k;
  EXPECT_NEAR(summitLat, 90.0 - (molaTop / 1440 + 0.5) / 4.0, 1.0);
  EXPECT_NEAR(summitLon, (molaTop % 1440 + 0.5) / 4.0, 1.0);
  EXPECT_NEAR(summitLat, 18.0, 1.5) << "on Olympus Mons";
  EXPECT_NEAR(summitLon, 226.5, 1.5) << "on Olympus Mons";
  int16_t arsia = INT16_MIN;
  for (double lat = -9.5; lat <= -7.0; lat += 0.125)
    for (double lon = 238.5; lon <= 241.5; lon += 0.125) arsia = std::max(arsia, Topo(NearestNode(lat, lon).index));
  EXPECT_GT(arsia, 12000);
  EXPECT_LT(arsia, highest);
}

TEST_F(RealDataTest, ColoursShowTheDarkAndBrightRegions) {
  ASSERT_TRUE(built);
  // Syrtis Major, the darkest classical region, against the bright dust of Arabia Terra and Tharsis.
  const double syrtis = Brightness(9.0, 69.0, 2.0);
  EXPECT_LT(syrtis, 0.75 * Brightness(20.0, 5.0, 2.0));
  EXPECT_LT(syrtis, 0.75 * Brightness(0.0, 250.0, 2.0));
  // The graded plains are warm (red above blue), the south polar cap near white.
  const uint8_t* arabia = &mars[NearestNode(20.0, 5.0).index * 4];
  EXPECT_GT(arabia[0], arabia[2] + 50);
  const uint8_t* cap = &mars[NearestNode(-87.0, 0.0).index * 4];
  EXPECT_GT(std::min({cap[0], cap[1], cap[2]}), 200);
  EXPECT_LT(cap[0] - cap[2], 25);
}

// A catalogue star's place in Mars' frame, from J2000 by spherical trigonometry: its angle from
// Mars' north pole, and its angular distance from another star.
double PoleDistanceDeg(double raDeg, double decDeg) {
  const double poleRa = 317.681 * kDeg, poleDec = 52.887 * kDeg, ra = raDeg * kDeg, dec = decDeg * kDeg;
  return std::acos(std::sin(dec) * std::sin(poleDec) + std::cos(dec) * std::cos(poleDec) * std::cos(ra - poleRa)) / kDeg;
}
double SeparationDeg(double ra1, double dec1, double ra2, double dec2) {
  return std::acos(std::sin(dec1 * kDeg) * std::sin(dec2 * kDeg) +
                   std::cos(dec1 * kDeg) * std::cos(dec2 * kDeg) * std::cos((ra1 - ra2) * kDeg)) / kDeg;
}
double RecordSeparationDeg(const StarRecord& a, const StarRecord& b) {
  return SeparationDeg(a.azimuth, a.elevation, b.azimuth, b.elevation);
}

TEST_F(RealDataTest, TheSkyIsTheCatalogueSeenFromMars) {
  ASSERT_TRUE(built);
  // Every star of the list to magnitude 3.5 is bright, the rest to 6.5 dim.
  std::ifstream list(std::string(REDSPHERE_SOURCES_DIR) + "/stars/stars.txt");
  std::string line;
  size_t brightInList = 0, dimInList = 0;
  while (std::getline(list, line)) {
    if (line.empty() || line[0] == '#') continue;
    double dec, ra, mag;
    ASSERT_EQ(std::sscanf(line.c_str(), "%lf %lf %lf", &dec, &ra, &mag), 3) << line;
    (mag <= 3.5 ? brightInList : dimInList) += mag <= 6.5;
  }
  ASSERT_EQ(bright.size() % sizeof(StarRecord), 0u);
  std::vector<StarRecord> stars(bright.size() / sizeof(StarRecord));
  std::memcpy(stars.data(), bright.data(), bright.size());
  EXPECT_EQ(stars.size(), brightInList);
  EXPECT_GT(brightInList, 250u);
  EXPECT_EQ(dim.size() / sizeof(StarRecord), dimInList);

  struct Named {
    const char* name;
    double raDeg, decDeg;
    const StarRecord* found = nullptr;
  };
  Named named[] = {{"Sirius", 101.287, -16.716}, {"Canopus", 95.988, -52.696}, {"Deneb", 310.358, 45.280},
                   {"Betelgeuse", 88.793, 7.407},  {"Rigel", 78.634, -8.202},    {"Antares", 247.352, -26.432}};
  // Sirius is the brightest record; each other named star is the bright record whose distance from
  // Mars' pole and from Sirius both match the catalogue's.
  const StarRecord* sirius = &stars[0];
  for (const StarRecord& s : stars)
    if (s.colour.a > sirius->colour.a) sirius = &s;
  for (Named& n : named) {
    const double pole = PoleDistanceDeg(n.raDeg, n.decDeg);
    const double fromSirius = SeparationDeg(n.raDeg, n.decDeg, named[0].raDeg, named[0].decDeg);
    for (const StarRecord& s : stars)
      if (std::fabs((90.0 - s.elevation) - pole) < 0.05 && std::fabs(RecordSeparationDeg(s, *sirius) - fromSirius) < 0.05)
        n.found = &s;
    ASSERT_NE(n.found, nullptr) << n.name;
  }
  EXPECT_EQ(named[0].found, sirius);
  // Deneb is about 10 degrees from Mars' north celestial pole; Canopus far in the southern sky.
  EXPECT_NEAR(named[2].found->elevation, 80.0, 1.5);
  EXPECT_LT(named[1].found->elevation, -30.0);
  // Betelgeuse and Antares look orange, Rigel and Sirius blue-white.
  for (int k : {3, 5}) {
    const Colour c = named[k].found->colour;
    EXPECT_GT(c.r, c.b + 40) << named[k].name;
  }
  for (int k : {0, 4}) {
    const Colour c = named[k].found->colour;
    EXPECT_GE(c.b, c.r) << named[k].name;
  }
}

}  // namespace
