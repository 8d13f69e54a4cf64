// The loader against real files: every table in place, the two caches read or rebuilt by their
// length, and every broken file ending the process with status 1 (the saver simply closes).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

#include "mapdata/map_data.h"
#include "tests/mapdata/load_fixture.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

TEST_F(LoadFixture, ValidSetFillsEveryTable) {
  WriteSet();
  const std::filesystem::path before = std::filesystem::current_path();
  Load();
  EXPECT_EQ(std::filesystem::current_path(), before);

  const MapData& map = gMapData;
  EXPECT_EQ(map.lastRow, 1440u);
  EXPECT_EQ(map.ppd, 8u);
  EXPECT_EQ(map.lonSamples, 2880u);
  EXPECT_FLOAT_EQ(map.rowSpacing, 0.125f);
  EXPECT_EQ(map.nodeCount, set.topo.size());
  // Row pointers walk the per-node arrays row by row.
  for (uint32_t i : {0u, 1u, 700u, 720u, 1439u, 1440u}) {
    const NodeRow& row = map.rows[i];
    EXPECT_EQ(row.count, set.counts[i]);
    EXPECT_EQ(row.topo, map.topo + Index(i, 0)) << i;
    EXPECT_EQ(row.areoid, map.areoid + Index(i, 0)) << i;
    EXPECT_EQ(row.mars, map.mars + Index(i, 0)) << i;
    EXPECT_EQ(row.terra, map.terra + Index(i, 0)) << i;
    EXPECT_EQ(row.topo[0], set.topo[Index(i, 0)]);
    EXPECT_EQ(row.areoid[row.count - 1], set.areoid[Index(i, row.count - 1)]);
    EXPECT_EQ(std::memcmp(&row.mars[0], &set.mars[Index(i, 0)], 4), 0);
    const double latitude = (-90.0 + i * 0.125) * kPi / 180.0;
    if (i > 0) {
      EXPECT_NEAR(row.sinLat, std::sin(latitude), 1e-6) << i;
      EXPECT_NEAR(row.cosLat, std::cos(latitude), 1e-6) << i;
      EXPECT_DOUBLE_EQ(row.lonStep, 360.0 / row.count);
    }
  }
  EXPECT_EQ(map.rows[0].lonStep, 360.0);
  EXPECT_EQ(map.rows[0].cosLat, 0.0f);
  EXPECT_EQ(map.rows[0].sinLat, -1.0f);
  EXPECT_NEAR(map.rows[720].sinLat, 0.0f, 1e-6f);  // the equator row
  // Half-sample trig tables from 0 to 360 degrees inclusive.
  EXPECT_FLOAT_EQ(map.cosTable[0], 1.0f);
  EXPECT_NEAR(map.sinTable[1440], 1.0f, 1e-6f);    // 90 degrees
  EXPECT_NEAR(map.cosTable[2880], -1.0f, 1e-6f);   // 180 degrees
  EXPECT_NEAR(map.cosTable[5760], 1.0f, 1e-6f);    // 360 degrees, the last entry
  EXPECT_NEAR(map.sinTable[5760], 0.0f, 1e-5f);
  EXPECT_NEAR(map.sinTable[1], std::sin(kPi / 180.0 / 16.0), 1e-7);

  EXPECT_EQ(map.seaWidth, 2048u);
  EXPECT_EQ(map.seaHeight, 1024u);
  EXPECT_EQ(map.cloudWidth, 2048u);
  ASSERT_NE(map.cloudImage, nullptr);
  EXPECT_EQ(std::memcmp(map.cloudImage, set.clouds.data(), set.clouds.size() * 4), 0);
  EXPECT_EQ(std::memcmp(map.sunImage, set.sun.data(), kSunFileLength), 0);
  EXPECT_EQ(map.brightCount, 20u);
  EXPECT_EQ(map.dimCount, 20u);
  EXPECT_EQ(map.starCount, 40u);
  EXPECT_EQ(std::memcmp(map.stars, set.brightStars.data(), 20 * 12), 0);
  EXPECT_EQ(std::memcmp(map.stars + 20, set.dimStars.data(), 20 * 12), 0);
}

TEST_F(LoadFixture, CachesAreWrittenThenReadNotDerived) {
  WriteSet();
  Load();
  const uint64_t terraBytes = uint64_t{4} * gMapData.nodeCount;
  EXPECT_EQ(std::filesystem::file_size(Path("terra8.hex")), terraBytes);
  EXPECT_EQ(std::filesystem::file_size(Path("sea8.hex")), uint64_t{4} * 2048 * 1024);
  EXPECT_FALSE(std::filesystem::exists(Path("terra8.hex.tmp")));
  EXPECT_EQ(std::memcmp(ReadFileBytes(Path("terra8.hex")).data(), gMapData.terra, terraBytes), 0);

  // Plant recognisable caches of the right length: a second start must show them as they are.
  FreeMapData();  // Windows cannot replace a file while its pages are mapped
  std::vector<uint8_t> terra(terraBytes), sea(uint64_t{4} * 2048 * 1024);
  for (size_t k = 0; k < terra.size(); ++k) terra[k] = static_cast<uint8_t>(k * 13);
  for (size_t k = 0; k < sea.size(); ++k) sea[k] = static_cast<uint8_t>(k * 7 + 1);
  ASSERT_TRUE(WriteFileBytes(Path("terra8.hex"), terra.data(), terra.size()));
  ASSERT_TRUE(WriteFileBytes(Path("sea8.hex"), sea.data(), sea.size()));
  Load();
  EXPECT_EQ(std::memcmp(gMapData.terra, terra.data(), terra.size()), 0);
  EXPECT_EQ(std::memcmp(gMapData.seaImage, sea.data(), sea.size()), 0);
}

TEST_F(LoadFixture, WrongLengthCachesAreRebuilt) {
  WriteSet();
  Load();
  const std::vector<uint8_t> goodTerra = ReadFileBytes(Path("terra8.hex"));
  const std::vector<uint8_t> goodSea = ReadFileBytes(Path("sea8.hex"));

  // A sea cache written where textures were limited to 1024 is 1024 x 512: wrong here.
  FreeMapData();
  gMapData.maxTextureSize = 1024;
  std::filesystem::remove(Path("sea8.hex"));
  Load();
  EXPECT_EQ(gMapData.seaWidth, 1024u);
  EXPECT_EQ(std::filesystem::file_size(Path("sea8.hex")), uint64_t{4} * 1024 * 512);

  FreeMapData();
  ASSERT_TRUE(WriteFileBytes(Path("terra8.hex"), goodTerra.data(), goodTerra.size() - 1));
  gMapData.maxTextureSize = 16384;
  Load();
  EXPECT_EQ(ReadFileBytes(Path("terra8.hex")), goodTerra);
  EXPECT_EQ(ReadFileBytes(Path("sea8.hex")), goodSea);
  EXPECT_EQ(std::memcmp(gMapData.seaImage, goodSea.data(), goodSea.size()), 0);
}

TEST_F(LoadFixture, StarFilesKeepWholeRecordsOnly) {
  set.dimStars.resize(3);
  WriteSet();
  // Five stray bytes after the 20 bright records: no 21st star, and the dim stars follow at 20.
  std::vector<uint8_t> bright = ReadFileBytes(Path("starsbr.hex"));
  bright.insert(bright.end(), {1, 2, 3, 4, 5});
  ASSERT_TRUE(WriteFileBytes(Path("starsbr.hex"), bright.data(), bright.size()));
  ASSERT_TRUE(WriteFileBytes(Path("starsdim.hex"), set.dimStars.data(), 3 * 12 + 11));
  Load();
  EXPECT_EQ(gMapData.brightCount, 20u);
  EXPECT_EQ(gMapData.dimCount, 3u);
  EXPECT_EQ(gMapData.starCount, 23u);
  EXPECT_EQ(std::memcmp(gMapData.stars + 20, set.dimStars.data(), 3 * 12), 0);

  // Empty star files are allowed: no stars at all.
  FreeMapData();
  ASSERT_TRUE(WriteFileBytes(Path("starsbr.hex"), "", 0));
  ASSERT_TRUE(WriteFileBytes(Path("starsdim.hex"), "", 0));
  Load();
  EXPECT_EQ(gMapData.starCount, 0u);
}

TEST_F(LoadFixture, CloudFileIsOpenedOnlyWhenCloudsCanBeDrawn) {
  set.clouds.clear();  // no cloud file at all
  WriteSet();
  gSaverSettings.Clouds = 0;
  Load();
  EXPECT_EQ(gMapData.cloudImage, nullptr);
  gSaverSettings.Clouds = 1;
  gMapData.maxTextureSize = 1024;  // too small for the cloud texture
  Load();
  EXPECT_EQ(gMapData.cloudImage, nullptr);
}

TEST(LoaderSizes, SeaAndCloudWidthsByLevelAndTextureLimit) {
  struct Case {
    uint32_t level;
    int32_t maxTexture;
    uint32_t seaWidth;
    const char* cloudStem;
  } cases[] = {
      {8, 16384, 2048, "clouds8"},   {16, 16384, 4096, "clouds16"}, {32, 16384, 8192, "clouds32"},
      {32, 4096, 4096, "clouds16"},  {32, 2048, 2048, "clouds8"},   {16, 2048, 2048, "clouds8"},
      {8, 1024, 1024, "clouds8"},    {32, 8192, 8192, "clouds32"},  {24, 16384, 4096, "clouds16"},
      {8, 0, 64, "clouds8"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ChooseSeaWidth(c.level, c.maxTexture), c.seaWidth) << c.level << "/" << c.maxTexture;
    const CloudChoice cloud = ChooseCloudImage(c.level, c.maxTexture);
    EXPECT_STREQ(cloud.stem, c.cloudStem) << c.level << "/" << c.maxTexture;
    EXPECT_EQ(cloud.width, std::strcmp(c.cloudStem, "clouds8") == 0 ? 2048u
                           : std::strcmp(c.cloudStem, "clouds16") == 0 ? 4096u : 8192u);
  }
}

// Each case breaks one thing in an otherwise valid folder; the load must end with status 1.
TEST_F(LoadFixture, BrokenDataEndsTheProcessWithStatusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto resize = [this](const std::string& name, int64_t delta) {
    std::vector<uint8_t> bytes = ReadFileBytes(Path(name));
    bytes.resize(static_cast<size_t>(static_cast<int64_t>(bytes.size()) + delta), 0);
    ASSERT_TRUE(WriteFileBytes(Path(name), bytes.data(), bytes.size()));
  };
  auto writeCounts = [this](const std::vector<uint32_t>& counts, const char* name = "nodes8.hex") {
    ASSERT_TRUE(WriteFileBytes(Path(name), counts.data(), counts.size() * 4));
  };
  struct Case {
    const char* what;
    std::function<void()> breakIt;
  } cases[] = {
      {"data folder missing", [&] { std::filesystem::remove_all(folder.path); }},
      {"node file missing", [&] { std::filesystem::remove(Path("nodes8.hex")); }},
      {"areoid one node short", [&] { resize("areoid8.hex", -2); }},
      {"topo one node long", [&] { resize("topo8.hex", 2); }},
      {"mars one byte short", [&] { resize("mars8.hex", -1); }},
      {"sun 16383 bytes", [&] { resize("sun.hex", -1); }},
      {"sun 16385 bytes", [&] { resize("sun.hex", 1); }},
      {"starsdim missing", [&] { std::filesystem::remove(Path("starsdim.hex")); }},
      {"starsbr missing", [&] { std::filesystem::remove(Path("starsbr.hex")); }},
      {"clouds8 missing", [&] { std::filesystem::remove(Path("clouds8.hex")); }},
      {"clouds8 short", [&] { resize("clouds8.hex", -4); }},
      {"rows not a whole level", [&] { resize("nodes8.hex", -4); }},
      {"fewer than 181 rows", [&] { writeCounts(std::vector<uint32_t>(180, 1)); }},
      {"south pole row of 2", [&] {
         std::vector<uint32_t> counts = set.counts;
         counts[0] = 2;
         writeCounts(counts);
       }},
      {"empty row", [&] {
         std::vector<uint32_t> counts = set.counts;
         counts[700] = 0;
         writeCounts(counts);
       }},
      {"row longer than 360 * ppd", [&] {
         std::vector<uint32_t> counts = set.counts;
         counts[720] = 2881;
         writeCounts(counts);
       }},
      {"node total past 32 bits", [&] {
         // Level 258: 46,441 rows of 92,880 nodes each, about 4.3 billion nodes.
         std::vector<uint32_t> counts(180 * 258 + 1, 360 * 258);
         counts[0] = 1;
         writeCounts(counts, "nodes258.hex");
         gSaverSettings.MaxPPD = 258;
       }},
      {"terra cache cannot be written", [&] {
         std::filesystem::create_directories(folder / "terra8.hex" / "blocker");
       }},
  };
  for (const Case& c : cases) {
    TempFolder fresh;
    ASSERT_TRUE(WriteTestDataSet(fresh.str(), set));
    std::filesystem::remove_all(folder.path);
    std::filesystem::copy(fresh.path, folder.path);
    gSaverSettings.MaxPPD = 8;
    c.breakIt();
    EXPECT_EXIT((LoadMapData(), std::exit(0)), ::testing::ExitedWithCode(1), "") << c.what;
  }
}

}  // namespace
