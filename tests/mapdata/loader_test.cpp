// The loader against real files: every table in place, the two caches read or rebuilt by their
// length, and every broken file ending the process with status 1 (the saver simply closes).
#include <gtest/gtest.h>

#include <chrono>
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

TEST_F(LoadFixture, CachesAreWrittenBesideTheData) {
  WriteSet();
  Load();
  const uint64_t terraBytes = uint64_t{4} * map.nodeCount;
  EXPECT_EQ(std::filesystem::file_size(Path("terra8.hex")), terraBytes + kCacheTrailerBytes);
  EXPECT_EQ(std::filesystem::file_size(Path("sea8.hex")), uint64_t{4} * 2048 * 1024 + kCacheTrailerBytes);
  for (const auto& entry : std::filesystem::directory_iterator(folder.path))
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  EXPECT_EQ(std::memcmp(CacheTable(Path("terra8.hex")).data(), map.terra, terraBytes), 0);
  EXPECT_EQ(UserCache("terra8.hex"), "");
}

// Each case starts from caches the loader wrote and then overwrote with recognisable tables, and
// changes one thing: a cache is read as it is while it matches the data it was derived from, and
// derived anew (never read) once it does not.
TEST_F(LoadFixture, CachesAreReadOnlyWhileTheyMatchTheirData) {
  auto touch = [this](const char* name) {
    const std::filesystem::path path = Path(name);
    std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) - std::chrono::hours(1));
  };
  auto truncate = [this](const char* name, size_t keep) {
    std::vector<uint8_t> bytes = ReadFileBytes(Path(name));
    ASSERT_TRUE(WriteFileBytes(Path(name), bytes.data(), keep == 0 ? bytes.size() - 1 : keep));
  };
  struct Case {
    const char* what;
    std::function<void()> change;
    bool terraRebuilt, seaRebuilt;
  } cases[] = {
      {"nothing changed", [] {}, false, false},
      {"topo8.hex rewritten", [&] { touch("topo8.hex"); }, true, true},
      {"mars8.hex rewritten", [&] { touch("mars8.hex"); }, true, true},
      {"nodes8.hex rewritten", [&] { touch("nodes8.hex"); }, true, true},
      {"terra8.hex one byte short", [&] { truncate("terra8.hex", 0); }, true, false},
      {"terra8.hex without its trailer, as older caches were",
       [&] { truncate("terra8.hex", 4 * set.topo.size()); }, true, false},
      {"sea8.hex derived where textures were limited to 1024", [&] {
         gTestLimits.maxTextureSize = 1024;
         Load();
         ASSERT_EQ(std::filesystem::file_size(Path("sea8.hex")), uint64_t{4} * 1024 * 512 + kCacheTrailerBytes);
         FreeMapData(map);
         gTestLimits.maxTextureSize = 16384;
       }, false, true},
  };
  for (const Case& c : cases) {
    std::filesystem::remove_all(folder.path);
    std::filesystem::create_directory(folder.path);
    WriteSet();
    Load();
    const std::vector<uint8_t> goodTerra = CacheTable(Path("terra8.hex")), goodSea = CacheTable(Path("sea8.hex"));
    FreeMapData(map);
    const std::vector<uint8_t> plantedTerra = PlantTable(Path("terra8.hex"), 1);
    const std::vector<uint8_t> plantedSea = PlantTable(Path("sea8.hex"), 2);
    c.change();
    // What the Linux program's loading line says before the loader has looked.
    EXPECT_EQ(DerivedCachesReady(TestLoadRequest()), !c.terraRebuilt && !c.seaRebuilt) << c.what;
    Load();
    const std::vector<uint8_t>& terra = c.terraRebuilt ? goodTerra : plantedTerra;
    const std::vector<uint8_t>& sea = c.seaRebuilt ? goodSea : plantedSea;
    ASSERT_EQ(map.seaWidth, 2048u) << c.what;
    EXPECT_EQ(std::memcmp(map.terra, terra.data(), terra.size()), 0) << c.what;
    EXPECT_EQ(std::memcmp(map.seaImage, sea.data(), sea.size()), 0) << c.what;
    EXPECT_EQ(CacheTable(Path("terra8.hex")), terra) << c.what;
    EXPECT_EQ(CacheTable(Path("sea8.hex")), sea) << c.what;
    FreeMapData(map);
  }
}

// A data folder that takes no cache (its cache names are folders here, so even an administrator
// cannot write them) still loads; the caches go to the user's cache folder and are read from there.
// Without that folder either, nothing is cached and the load still succeeds.
TEST_F(LoadFixture, DataFolderThatTakesNoCachesStillLoads) {
  WriteSet();
  Load();
  const std::vector<uint8_t> goodTerra = CacheTable(Path("terra8.hex")), goodSea = CacheTable(Path("sea8.hex"));
  FreeMapData(map);
  const std::string notAFolder = (userFolder / "a-file").string();
  ASSERT_TRUE(WriteFileBytes(notAFolder, "x", 1));
  for (bool userFolderUsable : {true, false}) {
    SCOPED_TRACE(userFolderUsable ? "with a user cache folder" : "without a user cache folder");
    for (const char* name : {"terra8.hex", "sea8.hex"}) {
      std::filesystem::remove_all(Path(name));
      std::filesystem::create_directories(folder / name / "blocker");
    }
    UseUserFolders(userFolderUsable ? userFolder.str() : notAFolder);
    Load();
    EXPECT_EQ(std::memcmp(map.terra, goodTerra.data(), goodTerra.size()), 0);
    EXPECT_EQ(std::memcmp(map.seaImage, goodSea.data(), goodSea.size()), 0);
    FreeMapData(map);
    const std::string terraPath = UserCache("terra8.hex"), seaPath = UserCache("sea8.hex");
    if (!userFolderUsable) {
      EXPECT_EQ(terraPath, "");
      continue;
    }
    ASSERT_NE(terraPath, "");
    ASSERT_NE(seaPath, "");
    EXPECT_EQ(CacheTable(terraPath), goodTerra);
    EXPECT_EQ(CacheTable(seaPath), goodSea);
    const std::vector<uint8_t> planted = PlantTable(terraPath, 3);
    Load();
    EXPECT_EQ(std::memcmp(map.terra, planted.data(), planted.size()), 0);
    FreeMapData(map);
    std::filesystem::remove_all(userFolder / "redsphere");
    std::filesystem::remove_all(userFolder / "Redsphere");
  }
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
  EXPECT_EQ(map.brightCount, 20u);
  EXPECT_EQ(map.dimCount, 3u);
  EXPECT_EQ(map.starCount, 23u);
  EXPECT_EQ(std::memcmp(map.stars + 20, set.dimStars.data(), 3 * 12), 0);

  // Empty star files are allowed: no stars at all.
  FreeMapData(map);
  ASSERT_TRUE(WriteFileBytes(Path("starsbr.hex"), "", 0));
  ASSERT_TRUE(WriteFileBytes(Path("starsdim.hex"), "", 0));
  Load();
  EXPECT_EQ(map.starCount, 0u);
}

TEST_F(LoadFixture, CloudFileIsOpenedOnlyWhenCloudsCanBeDrawn) {
  set.clouds.clear();  // no cloud file at all
  WriteSet();
  gSaverSettings.Clouds = 0;
  Load();
  EXPECT_EQ(map.cloudImage, nullptr);
  gSaverSettings.Clouds = 1;
  gTestLimits.maxTextureSize = 1024;  // too small for the cloud texture
  Load();
  EXPECT_EQ(map.cloudImage, nullptr);
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

// Each case breaks one thing in an otherwise valid folder; the loader thread must end the process
// with status 1 and a line that names the file (or the step) and why.
TEST_F(LoadFixture, BrokenDataEndsTheProcessWithAReason) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ChildTempFolders children;
  auto resize = [this](const std::string& name, int64_t delta) {
    std::vector<uint8_t> bytes = ReadFileBytes(Path(name));
    bytes.resize(static_cast<size_t>(static_cast<int64_t>(bytes.size()) + delta), 0);
    ASSERT_TRUE(WriteFileBytes(Path(name), bytes.data(), bytes.size()));
  };
  auto writeCounts = [this](const std::vector<uint32_t>& counts, const char* name = "nodes8.hex") {
    ASSERT_TRUE(WriteFileBytes(Path(name), counts.data(), counts.size() * 4));
  };
  auto changeRow = [&](size_t row, uint32_t count) {
    std::vector<uint32_t> counts = set.counts;
    counts[row] = count;
    writeCounts(counts);
  };
  // Patterns stay within what GoogleTest's own regular expressions (Windows) understand.
  struct Case {
    const char* what;
    std::function<void()> breakIt;
    const char* line;
  } cases[] = {
      {"data folder missing", [&] { std::filesystem::remove_all(folder.path); },
       "redsphere: data folder .*: it does not exist"},
      {"node file missing", [&] { std::filesystem::remove(Path("nodes8.hex")); },
       "redsphere: nodes8\\.hex in .*: cannot open it"},
      {"node file cut short", [&] { resize("nodes8.hex", -4); },
       "redsphere: nodes8\\.hex in .*: 5,760 bytes, expected 5,764 .4 bytes for each of the 1,441 rows of level 8"},
      {"node file cut mid-row", [&] { resize("nodes8.hex", -1); }, "nodes8\\.hex in .*: 5,763 bytes, expected 5,764"},
      {"fewer than 181 rows", [&] { writeCounts(std::vector<uint32_t>(180, 1)); },
       "nodes8\\.hex in .*: 720 bytes, expected 5,764"},
      {"the rows of level 16 in nodes8.hex", [&] { writeCounts(MakeTestDataSet(16).counts); },
       "nodes8\\.hex in .*: 11,524 bytes, expected 5,764"},
      {"south pole row of 2", [&] { changeRow(0, 2); }, "nodes8\\.hex in .*: the south-pole row holds 2 nodes"},
      {"empty row", [&] { changeRow(700, 0); }, "nodes8\\.hex in .*: row 700 holds 0 nodes, expected 1 to 2,880"},
      {"row longer than 360 * ppd", [&] { changeRow(720, 2881); }, "nodes8\\.hex in .*: row 720 holds 2,881 nodes"},
      {"node total past 32 bits", [&] {
         // Level 258: 46,441 rows of 92,880 nodes each, about 4.3 billion nodes.
         std::vector<uint32_t> counts(180 * 258 + 1, 360 * 258);
         counts[0] = 1;
         writeCounts(counts, "nodes258.hex");
         gSaverSettings.MaxPPD = 258;
       }, "nodes258\\.hex in .*: 4,313,347,201 nodes in all"},
      {"level past the highest", [&] { gSaverSettings.MaxPPD = 100000; }, "level 100000 in .*: the program loads levels 1 to"},
      {"areoid one node short", [&] { resize("areoid8.hex", -2); },
       "areoid8\\.hex in .*bytes, expected .*2 bytes for each of the .* nodes of nodes8\\.hex"},
      {"topo one node long", [&] { resize("topo8.hex", 2); }, "topo8\\.hex in .*bytes, expected"},
      {"mars one byte short", [&] { resize("mars8.hex", -1); }, "mars8\\.hex in .*bytes, expected"},
      {"sun 16383 bytes", [&] { resize("sun.hex", -1); }, "sun\\.hex in .*: 16,383 bytes, expected 16,384"},
      {"sun 16385 bytes", [&] { resize("sun.hex", 1); }, "sun\\.hex in .*: 16,385 bytes, expected 16,384"},
      {"starsdim missing", [&] { std::filesystem::remove(Path("starsdim.hex")); }, "starsdim\\.hex in .*: cannot open"},
      {"starsbr missing", [&] { std::filesystem::remove(Path("starsbr.hex")); }, "starsbr\\.hex in .*: cannot open"},
      {"clouds8 missing", [&] { std::filesystem::remove(Path("clouds8.hex")); }, "clouds8\\.hex in .*: cannot open"},
      {"clouds8 short", [&] { resize("clouds8.hex", -4); }, "clouds8\\.hex in .*: 8,388,604 bytes, expected 8,388,608"},
  };
  for (const Case& c : cases) {
    TempFolder fresh;
    ASSERT_TRUE(WriteTestDataSet(fresh.str(), set));
    std::filesystem::remove_all(folder.path);
    std::filesystem::copy(fresh.path, folder.path);
    gSaverSettings.MaxPPD = 8;
    c.breakIt();
    EXPECT_EXIT(LoaderThreadMain(TestLoadRequest(), map), ::testing::ExitedWithCode(1), c.line) << c.what;
    // The same load in this process gives up with its tables where FreeMapData finds them.
    EXPECT_FALSE(LoadMapData(TestLoadRequest(), map)) << c.what;
    EXPECT_FALSE(map.loaded.load()) << c.what;
    FreeMapData(map);
  }
}

}  // namespace
