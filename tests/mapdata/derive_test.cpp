// The derived terraformed colours and sea image for nodes of chosen heights, colours and
// latitudes: the coast, the depth alpha, snow and ice are what the renderer's sea and tint show.
#include <gtest/gtest.h>

#include <cstring>

#include "mapdata/map_data.h"
#include "tests/mapdata/load_fixture.h"

namespace {

constexpr Colour kRust{180, 90, 40, 255};
constexpr Colour kGrey{128, 128, 128, 255};
constexpr Colour kIce{255, 255, 255, 255};

bool Same(const Colour& a, const Colour& b) { return std::memcmp(&a, &b, 4) == 0; }

class DeriveTest : public LoadFixture {
 protected:
  // Gives every node of a row one height and one colour.
  void SetRow(uint32_t row, int16_t height, Colour colour) {
    for (uint32_t j = 0; j < set.counts[row]; ++j) {
      set.topo[Index(row, j)] = height;
      set.mars[Index(row, j)] = colour;
    }
  }
  const Colour& Terra(uint32_t row, uint32_t j = 0) const { return map.terra[Index(row, j)]; }
  // The sea texel of texel row r, column 0 (node 0 of its node row).
  const Colour& Sea(uint32_t r) const { return map.seaImage[uint64_t{r} * map.seaWidth]; }
  // Texel row that samples node row i (row = 1440 * r / 1024).
  static uint32_t SeaRowFor(uint32_t i) {
    for (uint32_t r = 0; r < 1024; ++r)
      if (1440u * r / 1024u == i) return r;
    ADD_FAILURE() << "no texel row samples node row " << i;
    return 0;
  }
};

TEST_F(DeriveTest, WaterCodesItsDepthInAlphaAndKeepsItsColour) {
  // Rows near the equator (cosLat close to 1), each at one height.
  struct Case {
    uint32_t row;
    int16_t height;
    uint8_t alpha;
  } cases[] = {
      {711, -300, 229},   // at the coast: water, 0.9 * 255 truncated
      {712, -301, 229},   // 0.9 * (255 - 0.01)
      {713, -6200, 176},  // 0.9 * (255 - 59)
      {714, -6300, 175},  // x = 60 exactly
      {715, -6301, 175},  // deeper: always 175
      {716, -20000, 175},
  };
  for (const Case& c : cases) SetRow(c.row, c.height, kRust);
  SetRow(717, -299, kRust);  // just above the coast: land
  WriteSet();
  Load();
  for (const Case& c : cases) {
    EXPECT_EQ(Terra(c.row).a, c.alpha) << c.height;
    EXPECT_EQ(Terra(c.row).r, kRust.r);
    EXPECT_EQ(Terra(c.row).g, kRust.g);
    EXPECT_EQ(Terra(c.row).b, kRust.b);
  }
  EXPECT_EQ(Terra(717).a, 255);
}

TEST_F(DeriveTest, SnowLineAndTintOnLand) {
  SetRow(720, 7001, kRust);  // equator, above 7000 m: snow
  SetRow(719, 6999, kRust);  // just below: tinted land
  SetRow(718, 3000, kGrey);  // no saturation: no tint at all
  SetRow(0, 1, kRust);       // south pole (cosLat 0): anything above 0 is snow
  SetRow(1, -100, kRust);    // next to the pole, low land: cosLat tiny, hardly tinted
  WriteSet();
  Load();
  EXPECT_TRUE(Same(Terra(720), kIce));
  EXPECT_EQ(Terra(719).a, 255);
  EXPECT_FALSE(Same(Terra(719), kIce));
  EXPECT_TRUE(Same(Terra(718), kGrey));
  EXPECT_TRUE(Same(Terra(0), kIce));
  EXPECT_EQ(Terra(1).a, 255);
  EXPECT_NEAR(Terra(1).r, kRust.r, 3);

  // A saturated low plain near the equator moves towards the green-blue tint.
  FreeMapData(map);
  SetRow(718, 100, kRust);
  WriteSet();
  std::filesystem::remove(Path("terra8.hex"));
  Load();
  EXPECT_LT(Terra(718).r, kRust.r - 40);
  EXPECT_GT(Terra(718).b, kRust.b);
  EXPECT_EQ(Terra(718).a, 255);
}

TEST_F(DeriveTest, SouthPoleAtZeroKeepsItsColour) {
  SetRow(0, 0, kRust);
  WriteSet();
  Load();
  EXPECT_TRUE(Same(Terra(0), kRust));
}

TEST_F(DeriveTest, SeaImageDepthCoastAndIce) {
  const uint32_t coast = 540, aboveCoast = 541, deep = 542, land = 544, polarBright = 1300, polarLow = 1310,
                 polarDark = 1320;
  SetRow(coast, -300, kRust);
  SetRow(aboveCoast, -299, kRust);
  SetRow(deep, -3300, kRust);  // a = 1: pure deep water
  SetRow(land, 2000, kRust);
  SetRow(polarBright, 2000, Colour{230, 230, 235, 255});  // existing bright ice
  SetRow(polarLow, -5000, kRust);                         // below the ice depth at 72 degrees
  SetRow(polarDark, -100, kRust);                         // above it: ice
  WriteSet();
  Load();
  const Colour coastTexel = Sea(SeaRowFor(coast));
  EXPECT_TRUE(Same(coastTexel, Sea(SeaRowFor(aboveCoast))));
  // Shallow water (32, 83, 105) over the ground's colour at 0.6.
  EXPECT_TRUE(Same(coastTexel, Colour{static_cast<uint8_t>(32 * 0.6f + 180 * 0.4f),
                                      static_cast<uint8_t>(83 * 0.6f + 90 * 0.4f),
                                      static_cast<uint8_t>(105 * 0.6f + 40 * 0.4f), 255}));
  EXPECT_TRUE(Same(Sea(SeaRowFor(deep)), Colour{32, 35, 64, 255}));
  EXPECT_TRUE(Same(Sea(SeaRowFor(land)), coastTexel));
  EXPECT_TRUE(Same(Sea(SeaRowFor(polarBright)), kIce));
  EXPECT_FALSE(Same(Sea(SeaRowFor(polarLow)), kIce));
  EXPECT_EQ(Sea(SeaRowFor(polarLow)).a, 255);
  EXPECT_TRUE(Same(Sea(SeaRowFor(polarDark)), kIce));
  for (uint64_t k = 0; k < uint64_t{map.seaWidth} * map.seaHeight; k += 977) EXPECT_EQ(map.seaImage[k].a, 255);
}

TEST_F(DeriveTest, SeaColumnsSampleNodesAcrossTheRow) {
  // Node j of a 12-node equator row covers texel columns 2048 * j / 12 onward.
  const uint32_t row = 720, r = SeaRowFor(row);
  ASSERT_EQ(set.counts[row], 12u);
  for (uint32_t j = 0; j < 12; ++j) {
    set.topo[Index(row, j)] = -3300;
    set.mars[Index(row, j)] = kRust;
  }
  set.topo[Index(row, 5)] = 1000;  // one land node among deep water
  WriteSet();
  Load();
  const Colour* texels = map.seaImage + uint64_t{r} * 2048;
  for (uint32_t c = 0; c < 2048; ++c) {
    const bool landNode = 12u * c / 2048u == 5;
    EXPECT_EQ(Same(texels[c], Colour{32, 35, 64, 255}), !landNode) << c;
  }
}

}  // namespace
