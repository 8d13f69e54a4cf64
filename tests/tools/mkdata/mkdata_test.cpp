// The data builder end to end: what it writes goes through the project's own loader, the same seed
// gives the same bytes whatever the thread count, and the command line reports bad sources and
// unwritable folders on one line with a non-zero status, never leaving a half-written file.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "mapdata/map_data.h"
#include "settings/saver_settings.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/tools/mkdata/mkdata_sources.h"
#include "tools/mkdata/node_grid.h"
#include "tools/mkdata/sphere_geometry.h"
#include "tools/mkdata/star_catalogue.h"
#include "tools/mkdata/sun_image.h"

namespace {

namespace fs = std::filesystem;

class MkdataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WriteSmallSources(sources.str(), options));
    options.outputFolder = (output / "data").string();
  }
  TempFolder sources, output;
  MkdataOptions options;
};

TEST_F(MkdataTest, LoaderAcceptsWhatItWrites) {
  options.levels = {2, 4};
  options.threads = 2;
  std::string error;
  ASSERT_TRUE(RunMkdataQuietly(options, error)) << error;
  for (const char* name : {"nodes2.hex", "nodes4.hex", "topo4.hex", "clouds8.hex", "sun.hex", "starsbr.hex"})
    EXPECT_TRUE(fs::exists(fs::path(options.outputFolder) / name)) << name;
  for (const char* name : {"terra2.hex", "sea2.hex", "clouds16.hex", "clouds32.hex"})
    EXPECT_FALSE(fs::exists(fs::path(options.outputFolder) / name)) << name;

  std::snprintf(gSaverSettings.DataPath, kDataPathSize, "%s", options.outputFolder.c_str());
  gSaverSettings.MaxPPD = 4;
  gSaverSettings.Clouds = 1;
  gMapData.maxTextureSize = 16384;
  LoaderThreadMain();  // ends the process with status 1 on any file it does not accept
  const MapData& map = gMapData;
  ASSERT_TRUE(map.loaded.load());
  const std::vector<uint32_t> counts = NodeRowCounts(4);
  ASSERT_EQ(map.lastRow + 1, counts.size());
  EXPECT_EQ(map.rows[0].count, 1u);
  EXPECT_EQ(map.rows[map.lastRow].count, 1u);
  uint64_t total = 0;
  for (uint32_t i = 0; i <= map.lastRow; ++i) {
    EXPECT_EQ(map.rows[i].count, counts[i]);
    total += counts[i];
  }
  EXPECT_EQ(map.nodeCount, total);
  for (uint32_t n = 0; n < map.nodeCount; ++n) ASSERT_EQ(map.mars[n].a, 255) << n;

  // The highest node is on Olympus, the lowest in Hellas: rows and longitudes are where they belong.
  uint32_t highRow = 0, highJ = 0, lowRow = 0, lowJ = 0;
  for (uint32_t i = 0; i <= map.lastRow; ++i)
    for (uint32_t j = 0; j < map.rows[i].count; ++j) {
      if (map.rows[i].topo[j] > map.rows[highRow].topo[highJ]) highRow = i, highJ = j;
      if (map.rows[i].topo[j] < map.rows[lowRow].topo[lowJ]) lowRow = i, lowJ = j;
    }
  const auto place = [&](uint32_t i, uint32_t j) {
    return UnitVectorAt(NodeRowLatitude(4, i), j * map.rows[i].lonStep);
  };
  EXPECT_LT(SurfaceDistanceKm(place(highRow, highJ), UnitVectorAt(18.65, 226.2)), 100.0);
  EXPECT_LT(SurfaceDistanceKm(place(lowRow, lowJ), UnitVectorAt(-42.4, 70.5)), 1000.0);
  EXPECT_LT(map.rows[0].areoid[0], -19000);  // the poles lie 20 km inside the reference sphere
  EXPECT_GT(map.rows[360].areoid[0], 0);

  EXPECT_EQ(map.brightCount, kSmallCatalogueBright);
  EXPECT_EQ(map.dimCount, kSmallCatalogueDim);
  EXPECT_NEAR(map.stars[0].elevation, 90.0f, 1e-4f);  // the catalogue's first star sits at Mars' pole
  EXPECT_EQ(map.cloudWidth, 2048u);
  EXPECT_EQ(std::memcmp(map.sunImage, MakeSunImage().data(), kSunFileLength), 0);
  FreeMapData();
}

TEST_F(MkdataTest, SameSeedSameBytesWhateverTheThreads) {
  options.levels = {2};
  std::string error;
  options.threads = 1;
  ASSERT_TRUE(RunMkdataQuietly(options, error)) << error;
  const auto first = HexFiles(options.outputFolder);
  options.threads = 2;
  options.outputFolder = (output / "again").string();
  ASSERT_TRUE(RunMkdataQuietly(options, error)) << error;
  EXPECT_EQ(HexFiles(options.outputFolder), first);

  options.seed = 2;
  options.outputFolder = (output / "other").string();
  ASSERT_TRUE(RunMkdataQuietly(options, error)) << error;
  const auto other = HexFiles(options.outputFolder);
  ASSERT_EQ(other.size(), first.size());
  for (size_t k = 0; k < first.size(); ++k) {
    const std::string& name = first[k].first;
    // The seed changes the relief and the cloud detail, never the grid or the stars. (Colour detail
    // follows the roughness finer than 16 km, which level 2's 30 km nodes do not have.)
    const bool seeded = name == "topo2.hex" || name == "clouds8.hex";
    EXPECT_EQ(other[k].second != first[k].second, seeded) << name;
  }
}

// One full level-8 run of the real program, shared by the command-line tests.
class MkdataProgramTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder = new TempFolder;
    ASSERT_TRUE(WriteSmallSources(folder->str(), options));
    data = (*folder / "data").string();
    previews = (*folder / "previews").string();
    // Stale files of an earlier build: caches derived from old heights and an old node file.
    fs::create_directories(data);
    ASSERT_TRUE(WriteFileBytes(data + "/terra8.hex", "old", 3));
    ASSERT_TRUE(WriteFileBytes(data + "/sea8.hex", "old", 3));
    ASSERT_TRUE(WriteFileBytes(data + "/nodes8.hex", "old", 3));
    run = RunMkdataProgram(Arguments(data, {"--preview", previews}));
  }
  static void TearDownTestSuite() {
    delete folder;
    folder = nullptr;
  }
  static std::vector<std::string> Arguments(const std::string& output, std::vector<std::string> more = {}) {
    std::vector<std::string> arguments = {"--colour-map", options.colourMap, "--cloud-map", options.cloudMap,
                                          "--stars",      options.starCatalogue, "--markers", options.markers};
    arguments.insert(arguments.end(), more.begin(), more.end());
    arguments.push_back(output);
    return arguments;
  }

  static TempFolder* folder;
  static MkdataOptions options;
  static std::string data, previews;
  static ProgramRun run;
};
TempFolder* MkdataProgramTest::folder = nullptr;
MkdataOptions MkdataProgramTest::options;
std::string MkdataProgramTest::data, MkdataProgramTest::previews;
ProgramRun MkdataProgramTest::run;

TEST_F(MkdataProgramTest, BuildsLevel8QuietlyAndReplacesStaleFiles) {
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");  // no progress when standard error is not a terminal
  EXPECT_NE(run.output.find("level 8: 2640198 nodes"), std::string::npos) << run.output;
  EXPECT_FALSE(fs::exists(data + "/terra8.hex"));
  EXPECT_FALSE(fs::exists(data + "/sea8.hex"));
  const std::vector<uint32_t> counts = NodeRowCounts(8);
  EXPECT_EQ(ReadFileBytes(data + "/nodes8.hex").size(), counts.size() * 4);
  EXPECT_EQ(fs::file_size(data + "/topo8.hex"), uint64_t{2640198} * 2);
  EXPECT_EQ(fs::file_size(data + "/mars8.hex"), uint64_t{2640198} * 4);
  EXPECT_EQ(fs::file_size(data + "/clouds8.hex"), uint64_t{2048} * 1024 * 4);
  for (const auto& entry : fs::directory_iterator(data))
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

TEST_F(MkdataProgramTest, PreviewsAreWholePngPictures) {
  ASSERT_EQ(run.status, 0) << run.errors;
  for (const char* name : {"colour8.png", "relief8.png", "clouds.png"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> png = ReadFileBytes(previews + "/" + name);
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    auto word = [&](size_t at) { return uint32_t{png[at]} << 24 | uint32_t{png[at + 1]} << 16 | uint32_t{png[at + 2]} << 8 | png[at + 3]; };
    EXPECT_EQ(std::memcmp(&png[12], "IHDR", 4), 0);
    EXPECT_EQ(word(16), 2048u);
    EXPECT_EQ(word(20), 1024u);
    EXPECT_EQ(word(29), static_cast<uint32_t>(crc32(0, &png[12], 17)));
    // The picture data inflates to one filter byte and 2048 RGB pixels per row.
    ASSERT_EQ(std::memcmp(&png[37], "IDAT", 4), 0);
    std::vector<uint8_t> rows((1 + 2048 * 3) * 1024 + 1);
    uLongf size = rows.size();
    ASSERT_EQ(uncompress(rows.data(), &size, &png[41], word(33)), Z_OK);
    EXPECT_EQ(size, (1u + 2048u * 3u) * 1024u);
  }
}

TEST_F(MkdataProgramTest, AnInterruptedRunLeavesOnlyWholeFiles) {
  ASSERT_EQ(run.status, 0) << run.errors;
  const auto reference = HexFiles(data);
  // Killed while the first cloud image is being written, and half-way through the level.
  struct Cut {
    const char* when;
    const char* growing;
    uintmax_t bytes;
  };
  const Cut cuts[] = {{"writing clouds8", "clouds8.hex.tmp", 1}, {"writing level 8", "topo8.hex.tmp", 2640198}};
  for (const Cut& c : cuts) {
    SCOPED_TRACE(c.when);
    const std::string cut = (*folder / ("cut-" + std::string(c.growing))).string();
    const std::string growing = cut + "/" + c.growing;
    const ProgramRun killed = RunMkdataProgramUntil(Arguments(cut), [&] {
      std::error_code code;
      return fs::file_size(growing, code) >= c.bytes && !code;
    });
    EXPECT_EQ(killed.status, -1) << "the run ended before it was killed";
    // Every data file under its final name is the complete file of an uninterrupted run.
    for (const auto& [name, bytes] : HexFiles(cut)) {
      bool matches = false;
      for (const auto& [referenceName, referenceBytes] : reference)
        if (name == referenceName) matches = bytes == referenceBytes;
      EXPECT_TRUE(matches) << name << " is not the whole file";
    }
  }
}

TEST_F(MkdataProgramTest, ReportsBadSourcesAndFoldersOnOneLine) {
  const std::string plainFile = (*folder / "plain-file").string();
  ASSERT_TRUE(WriteFileBytes(plainFile, "x", 1));
  const std::string fresh = (*folder / "never-made").string();
  auto with = [&](const std::string& option, const std::string& value) {
    std::vector<std::string> arguments = Arguments(fresh);
    for (size_t k = 0; k + 1 < arguments.size(); ++k)
      if (arguments[k] == option) arguments[k + 1] = value;
    return arguments;
  };
  struct Case {
    const char* what;
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      {"missing colour map", with("--colour-map", "/nonexistent/mars.jpg"), "cannot open /nonexistent/mars.jpg"},
      {"colour map that is no JPEG", with("--colour-map", options.starCatalogue), "is not a readable JPEG picture"},
      {"missing cloud map", with("--cloud-map", "/nonexistent/clouds.jpg"), "openuniverse-common"},
      {"missing star catalogue", with("--stars", "/nonexistent/BSC"), "cannot open the star catalogue"},
      {"missing marker file", with("--markers", "/nonexistent/mars"), "cannot open the marker file"},
      {"missing MOLA grid", Arguments(fresh, {"--mola-topo", "/nonexistent/megt.img"}), "cannot open the label"},
      {"data folder under a file", Arguments(plainFile + "/data"), "cannot create the data folder " + plainFile + "/data"},
      {"preview folder under a file", Arguments(fresh, {"--preview", plainFile + "/p"}), "cannot create the preview folder"},
      {"level out of range", Arguments(fresh, {"--level", "7"}), "level '7' is not a whole number from 8 to 32"},
      {"unknown option", Arguments(fresh, {"--colour", "x"}), "unknown option --colour"},
      {"no output folder", {"--seed", "3"}, "no output folder given"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ProgramRun failed = RunMkdataProgram(c.arguments);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.errors.rfind("redsphere-mkdata: ", 0), 0u) << failed.errors;
    EXPECT_NE(failed.errors.find(c.message), std::string::npos) << failed.errors;
    EXPECT_EQ(std::count(failed.errors.begin(), failed.errors.end(), '\n'), 1) << failed.errors;
    // The data folder is created only after every source has been read.
    if (c.message.find("preview") == std::string::npos) {
      EXPECT_FALSE(fs::exists(fresh)) << c.what;
    }
    fs::remove_all(fresh);
  }
}

}  // namespace
