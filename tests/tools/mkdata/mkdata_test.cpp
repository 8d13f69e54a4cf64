// The data builder end to end: what it synthesizes (and what it imports) goes through the project's
// own loader, the same seed gives the same bytes whatever the thread count, and the command line
// reports bad imports and unwritable folders on one line with a non-zero status, never leaving a
// half-written file.
#include <gtest/gtest.h>

#include "tools/mkdata/level_writer.h"
#include <zlib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "mapdata/map_data.h"
#include "platform/atomic_file.h"
#include "settings/saver_settings.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/support/test_run.h"
#include "tests/tools/mkdata/mkdata_sources.h"
#include "tools/mkdata/node_grid.h"
#include "tools/mkdata/sphere_geometry.h"
#include "tools/mkdata/star_catalogue.h"
#include "tools/mkdata/sun_image.h"

namespace {

namespace fs = std::filesystem;

class MkdataTest : public ::testing::Test {
 protected:
  // These runs check what the builder synthesizes, so nothing comes from the data sources.
  void SetUp() override {
    options.outputFolder = (output / "data").string();
    options.syntheticRelief = options.syntheticColours = options.syntheticStars = true;
  }
  // Loads the level from the output folder with the program's own loader, which ends the process
  // with status 1 on any file it does not accept.
  const MapData& Load(uint32_t level) {
    std::snprintf(gSaverSettings.DataPath, kDataPathSize, "%s", options.outputFolder.c_str());
    gSaverSettings.MaxPPD = static_cast<int>(level);
    gSaverSettings.Clouds = 1;
    gTestLimits.maxTextureSize = 16384;
    LoaderThreadMain(TestLoadRequest(), loadedMap);
    return loadedMap;
  }
  TempFolder imports, output;
  MkdataOptions options;
  MapData loadedMap{};  // what Load fills
};

TEST(LevelWriter, SummitsEaseUnderTheMeshTop) {
  for (double areoid : {-19800.0, -3000.0, 0.0, 1500.0}) {
    double previous = -1e9;
    for (double topo = -9000.0; topo <= 30000.0; topo += 250.0) {
      const double fitted = FitUnderMeshTop(topo, areoid);
      EXPECT_LE(areoid + fitted, 16000.0) << areoid << " " << topo;
      EXPECT_LE(areoid + 10.0 * fitted, 160000.0) << areoid << " " << topo;
      EXPECT_GT(fitted, previous) << "heights keep their order: " << areoid << " " << topo;
      if (topo <= 10000.0) {
        EXPECT_EQ(fitted, topo) << "ordinary ground is left alone: " << areoid << " " << topo;
      }
      previous = fitted;
    }
  }
}

TEST_F(MkdataTest, LoaderAcceptsWhatItSynthesizes) {
  options.levels = {2, 4};
  options.threads = 2;
  std::string error;
  ASSERT_TRUE(RunMkdataQuietly(options, error)) << error;
  for (const char* name : {"nodes2.hex", "nodes4.hex", "topo4.hex", "clouds8.hex", "sun.hex", "starsbr.hex"})
    EXPECT_TRUE(fs::exists(fs::path(options.outputFolder) / name)) << name;
  for (const char* name : {"terra2.hex", "sea2.hex", "clouds16.hex", "clouds32.hex"})
    EXPECT_FALSE(fs::exists(fs::path(options.outputFolder) / name)) << name;

  const MapData& map = Load(4);
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
  // Every summit stays under the top of the mesh builders' surface band at every relief factor.
  for (uint32_t n = 0; n < map.nodeCount; ++n)
    for (int factor : {1, 10})
      ASSERT_LE(map.areoid[n] + factor * map.topo[n], 16000 * factor) << "node " << n << ", factor " << factor;
  EXPECT_LT(map.rows[0].areoid[0], -19000);  // the poles lie 20 km inside the reference sphere
  EXPECT_GT(map.rows[360].areoid[0], 0);

  // Syrtis Major darker than Arabia Terra, in the file as the loader sees it.
  const auto brightnessAt = [&](double latDeg, double lonDeg) {
    const NodeRow& row = map.rows[static_cast<uint32_t>(std::lround((latDeg + 90.0) * 4))];
    const Colour c = row.mars[static_cast<uint32_t>(std::lround(lonDeg / row.lonStep)) % row.count];
    return c.r + c.g + c.b;
  };
  EXPECT_LT(brightnessAt(10.0, 69.0), brightnessAt(22.0, 25.0) - 60);

  // The synthesized sky: the bright file to magnitude 3.5 (about 270 stars), thousands of dim
  // ones, Sirius first.
  EXPECT_GT(map.brightCount, 200u);
  EXPECT_LT(map.brightCount, 350u);
  EXPECT_GT(map.dimCount, 5000u);
  const PlanetSkyAngles sirius = EquatorialToPlanet(6.7525 * 15.0, -16.716);
  EXPECT_NEAR(map.stars[0].elevation, sirius.elevationDeg, 1e-3);
  EXPECT_NEAR(map.stars[0].azimuth, sirius.azimuthDeg, 1e-3);
  EXPECT_EQ(map.cloudWidth, 2048u);
  EXPECT_EQ(std::memcmp(map.sunImage, MakeSunImage().data(), kSunFileLength), 0);
  FreeMapData(loadedMap);
}

TEST_F(MkdataTest, ImportsReplaceWhatIsSynthesized) {
  ASSERT_TRUE(WriteSmallImports(imports.str(), options));
  options.levels = {2};
  options.threads = 2;
  std::string error;
  ASSERT_TRUE(RunMkdataQuietly(options, error)) << error;
  const MapData& map = Load(2);
  ASSERT_TRUE(map.loaded.load());
  EXPECT_EQ(map.brightCount, kSmallListBright);
  EXPECT_EQ(map.dimCount, kSmallListDim);
  EXPECT_NEAR(map.stars[0].elevation, 90.0f, 1e-4f);  // the list's first star sits at Mars' pole
  // Present-day colours come from the imported map (with the relief's few percent of detail).
  for (const double lat : {-40.0, 0.0, 30.0})
    for (const double lon : {0.0, 90.0, 200.0}) {
      const NodeRow& row = map.rows[static_cast<uint32_t>(std::lround((lat + 90.0) * 2))];
      const Colour c = row.mars[static_cast<uint32_t>(std::lround(lon / row.lonStep)) % row.count];
      double expected[3];
      SmallColourMapAt(lat, lon, expected);
      EXPECT_NEAR(c.r, expected[0], 0.12 * expected[0] + 4) << lat << " " << lon;
      EXPECT_NEAR(c.g, expected[1], 0.12 * expected[1] + 4) << lat << " " << lon;
    }
  FreeMapData(loadedMap);
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
  for (const auto& [name, bytes] : first) {
    // The seed changes everything synthesized, never the grid, the model areoid or the sun.
    const bool seeded = name != "nodes2.hex" && name != "areoid2.hex" && name != "sun.hex";
    ASSERT_EQ(other.count(name), 1u) << name;
    EXPECT_EQ(other.at(name) != bytes, seeded) << name;
  }
}

// One full level-8 run of the real program with its defaults (the real data sources), shared by the
// command-line tests.
class MkdataProgramTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder = new TempFolder;
    data = (*folder / "data").string();
    previews = (*folder / "previews").string();
    // Stale files of an earlier build: caches derived from old heights and an old node file.
    fs::create_directories(data);
    ASSERT_TRUE(WriteFileBytes(data + "/terra8.hex", "old", 3));
    ASSERT_TRUE(WriteFileBytes(data + "/sea8.hex", "old", 3));
    ASSERT_TRUE(WriteFileBytes(data + "/nodes8.hex", "old", 3));
    run = RunMkdataProgram({"--preview", previews, data});
  }
  static void TearDownTestSuite() {
    delete folder;
    folder = nullptr;
  }
  static std::vector<std::string> Arguments(const std::string& output, std::vector<std::string> more = {}) {
    more.push_back(output);
    return more;
  }

  static TempFolder* folder;
  static std::string data, previews;
  static ProgramRun run;
};
TempFolder* MkdataProgramTest::folder = nullptr;
std::string MkdataProgramTest::data, MkdataProgramTest::previews;
ProgramRun MkdataProgramTest::run;

TEST_F(MkdataProgramTest, BuildsLevel8QuietlyAndReplacesStaleFiles) {
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");  // no progress when standard error is not a terminal
  EXPECT_NE(run.output.find("level 8: 2640198 nodes"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("starsdim.hex: "), std::string::npos) << run.output;
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
  const Cut cuts[] = {{"writing clouds8", "clouds8.hex", 1}, {"writing level 8", "topo8.hex", 2640198}};
  for (const Cut& c : cuts) {
    SCOPED_TRACE(c.when);
    const std::string cut = (*folder / ("cut-" + std::string(c.growing))).string();
    const std::string target = cut + "/" + c.growing;
    // The builder's temporary name carries its process id and a serial: ".topo8.hex.1234-2.tmp".
    const std::string prefix = std::string(".") + c.growing + ".";
    fs::path growing;
    bool keptWhileLive = false;
    const ProgramRun killed = RunMkdataProgramUntil(Arguments(cut), [&] {
      std::error_code code;
      for (fs::directory_iterator entry(cut, code), end; !code && entry != end; entry.increment(code)) {
        const std::string name = entry->path().filename().string();
        if (name.rfind(prefix, 0) != 0 || entry->path().extension() != ".tmp" ||
            fs::file_size(entry->path(), code) < c.bytes || code)
          continue;
        // Another writer of the same name sweeps only what ended writers left: the running
        // builder's file stays (unless the builder itself has just moved it into place).
        growing = entry->path();
        AtomicFile other;
        std::string error;
        if (BeginAtomicFile(target, AtomicWrite::Quick, other, error)) DiscardAtomicFile(other);
        keptWhileLive = fs::exists(growing) || fs::exists(target);
        return true;
      }
      return false;
    });
    EXPECT_EQ(killed.status, -1) << "the run ended before it was killed";
    EXPECT_TRUE(keptWhileLive) << "a live builder's file was swept: " << growing;
    // Every data file under its final name is the complete file of an uninterrupted run.
    for (const auto& [name, bytes] : HexFiles(cut))
      EXPECT_TRUE(reference.count(name) && reference.at(name) == bytes) << name << " is not the whole file";
    // The killed builder's file goes with the next write of its name.
    std::string error;
    ASSERT_TRUE(WriteAtomicFile(target, AtomicWrite::Quick, "x", 1, error)) << error;
    EXPECT_FALSE(fs::exists(growing)) << growing;
  }
}

// GCC says a sanitizer is on with __SANITIZE_*__, Clang with __has_feature.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define BUILT_WITH_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define BUILT_WITH_SANITIZER 1
#endif
#endif
#if defined(__linux__) && !defined(BUILT_WITH_SANITIZER)
// Memory running out (a limit on the address space; the sanitizers' own reservations would not fit
// under one): one line and status 1, never an abort. The limits are chosen so that some runs fail
// before anything is written and some after the star and cloud files were replaced, while the
// level's files are being written: those stay the earlier level's, and no temporary file is left.
TEST_F(MkdataProgramTest, MemoryRunningOutEndsInOneLineAndKeepsTheLevel) {
  ASSERT_EQ(run.status, 0) << run.errors;
  const auto earlier = HexFiles(data);
  const char* level[] = {"areoid8.hex", "topo8.hex", "mars8.hex", "nodes8.hex"};
  int failedInTheLevel = 0;
  for (const uint64_t mebibytes : {40, 48, 52, 56}) {
    SCOPED_TRACE(std::to_string(mebibytes) + " MiB");
    const std::string copy = (*folder / ("low-memory-" + std::to_string(mebibytes))).string();
    fs::copy(data, copy, fs::copy_options::recursive);
    const ProgramRun starved = RunMkdataProgramWithin(
        mebibytes << 20, Arguments(copy, {"--level", "8", "--synthetic", "all", "--seed", "2", "--threads", "2"}));
    if (starved.status == 0) continue;  // room enough after all: nothing to judge
    EXPECT_EQ(starved.status, 1);
    EXPECT_EQ(starved.errors, "redsphere-mkdata: not enough memory to build the data in " + copy + "\n");
    bool sharedReplaced = false;
    for (const auto& [name, bytes] : HexFiles(copy))
      if (earlier.count(name) && earlier.at(name) != bytes) {
        EXPECT_EQ(std::count(std::begin(level), std::end(level), name), 0) << name << " changed";
        sharedReplaced = true;
      }
    failedInTheLevel += sharedReplaced;
    for (const auto& entry : fs::directory_iterator(copy))
      EXPECT_NE(entry.path().filename().string()[0], '.') << "left behind: " << entry.path();
  }
  EXPECT_GT(failedInTheLevel, 0) << "no limit ran out while the level was written; the limits need moving";
}
#endif

TEST_F(MkdataProgramTest, ReportsBadImportsAndFoldersOnOneLine) {
  const std::string plainFile = (*folder / "plain-file").string();
  ASSERT_TRUE(WriteFileBytes(plainFile, "x", 1));
  const std::string notAStar = (*folder / "not-a-star-list").string();
  ASSERT_TRUE(WriteFileBytes(notAStar, "10.0 2.0 3.0\nOlympus\n", 22));
  const std::string fresh = (*folder / "never-made").string();
  // Copies of the data sources, one without its star list and one with a single byte of the colour
  // mosaic changed: both are refused before anything is written.
  const std::string missingStars = (*folder / "sources-without-stars").string();
  const std::string damagedColours = (*folder / "sources-damaged").string();
  for (const std::string& copy : {missingStars, damagedColours})
    fs::copy(REDSPHERE_SOURCES_DIR, copy, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  fs::remove(missingStars + "/stars/stars.txt");
  const std::string mosaic = damagedColours + "/viking/mars_viking_mdim21_colour_2880x1440.jpg";
  std::vector<uint8_t> bytes = ReadFileBytes(mosaic);
  ASSERT_GT(bytes.size(), 100000u);
  bytes[bytes.size() / 2] ^= 0x01;
  ASSERT_TRUE(WriteFileBytes(mosaic, bytes.data(), bytes.size()));
  struct Case {
    const char* what;
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      {"missing colour map", Arguments(fresh, {"--colour-map", "/nonexistent/mars.jpg"}), "cannot open /nonexistent/mars.jpg"},
      {"colour map that is no JPEG", Arguments(fresh, {"--colour-map", plainFile}), "is not a readable JPEG picture"},
      {"missing cloud map", Arguments(fresh, {"--cloud-map", "/nonexistent/clouds.jpg"}), "cannot open /nonexistent/clouds.jpg"},
      {"missing star list", Arguments(fresh, {"--stars", "/nonexistent/stars"}), "cannot open the star list"},
      {"star list with a bad line", Arguments(fresh, {"--stars", notAStar}), "line 2 is not a star"},
      {"the marker file option is gone", Arguments(fresh, {"--markers", plainFile}), "unknown option --markers"},
      {"missing MOLA grid", Arguments(fresh, {"--mola-topo", "/nonexistent/megt.img"}), "cannot open the label"},
      {"data folder under a file", Arguments(plainFile + "/data"), "cannot create the data folder " + plainFile + "/data"},
      {"preview folder under a file", Arguments(fresh, {"--preview", plainFile + "/p"}), "cannot create the preview folder"},
      {"level out of range", Arguments(fresh, {"--level", "7"}), "level '7' is not a whole number from 8 to 32"},
      {"seed out of range", Arguments(fresh, {"--seed", "4294967296"}), "seed '4294967296' is not a whole number"},
      {"unknown option", Arguments(fresh, {"--colour", "x"}), "unknown option --colour"},
      {"no output folder", {"--seed", "3"}, "no output folder given"},
      {"nothing to synthesize by that name", Arguments(fresh, {"--synthetic", "relief,craters"}), "'craters' cannot be synthesized"},
      {"sources folder that is a file", Arguments(fresh, {"--sources", plainFile}), "cannot read the sources folder " + plainFile + ": not a folder"},
      {"sources folder that does not exist", Arguments(fresh, {"--sources", "/nonexistent/sources"}), "no such folder"},
      {"source file missing", Arguments(fresh, {"--sources", missingStars}), "data source " + missingStars + "/stars/stars.txt"},
      {"source file damaged", Arguments(fresh, {"--sources", damagedColours}),
       "data source " + damagedColours + "/viking/mars_viking_mdim21_colour_2880x1440.jpg is not the file this builder was made for"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ProgramRun failed = RunMkdataProgram(c.arguments);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.errors.rfind("redsphere-mkdata: ", 0), 0u) << failed.errors;
    EXPECT_NE(failed.errors.find(c.message), std::string::npos) << failed.errors;
    EXPECT_EQ(std::count(failed.errors.begin(), failed.errors.end(), '\n'), 1) << failed.errors;
    // The data folder is created only after every import has been read.
    if (c.message.find("preview") == std::string::npos) {
      EXPECT_FALSE(fs::exists(fresh)) << c.what;
    }
    fs::remove_all(fresh);
  }
}

// --setup-folder, as the elevated setup runs it: a folder it makes is marked and taken again; a link
// or a folder other users may change is refused with status 2 before anything is written. The
// missing sources folder stops each run right after the folder is judged.
TEST_F(MkdataProgramTest, SetupFolderIsMarkedOrRefusedBeforeAnythingIsWritten) {
  const std::vector<std::string> stop = {"--setup-folder", "--sources", (*folder / "no-sources").string()};
  const std::string own = (*folder / "setup-own").string();
  for (int run = 0; run < 2; ++run) {
    const ProgramRun made = RunMkdataProgram(Arguments(own, stop));
    EXPECT_EQ(made.status, 1) << made.errors;
    EXPECT_NE(made.errors.find("cannot read the sources folder"), std::string::npos) << made.errors;
    EXPECT_EQ(ReadTextFile(own + "/redsphere-setup.txt").rfind("This folder was made by the Redsphere setup", 0), 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(own), fs::directory_iterator()), 1);
  }
  const std::string open = (*folder / "setup-open").string(), target = (*folder / "setup-target").string();
  const std::string link = (*folder / "setup-link").string();
  ASSERT_TRUE(MakeFolderUsersMayChange(open));
  fs::create_directories(target);
  const bool linked = MakeFolderLink(link, target);
  if (!linked) std::printf("note: this system makes no folder links; the link case is not run\n");
  struct Case {
    std::string folder, message;
  };
  for (const Case& c : {Case{open, "standard users may change it"}, Case{link, "it is a junction or link"}}) {
    if (c.folder == link && !linked) continue;
    SCOPED_TRACE(c.folder);
    const ProgramRun refused = RunMkdataProgram(Arguments(c.folder, stop));
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.errors.rfind("redsphere-mkdata: refusing the data folder " + c.folder + ": " + c.message, 0), 0u)
        << refused.errors;
    EXPECT_EQ(std::count(refused.errors.begin(), refused.errors.end(), '\n'), 1) << refused.errors;
    EXPECT_TRUE(fs::is_empty(c.folder));
  }
  EXPECT_TRUE(fs::is_empty(target));
}

// --progress-lines, as the Windows setup shows the builder's output: each piece of work in whole
// lines of 10 % steps, each line out as soon as it is printed, so the summary of a piece comes after
// its last step and before the next piece's first.
TEST_F(MkdataProgramTest, ProgressLinesComeInStepsAndInOrder) {
  const ProgramRun run = RunMkdataProgram(
      Arguments((*folder / "progress-lines").string(), {"--progress-lines", "--synthetic", "all", "--threads", "2"}));
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  std::vector<std::string> lines;
  for (size_t start = 0; start < run.output.size();) {
    size_t end = run.output.find('\n', start);
    ASSERT_NE(end, std::string::npos) << "unterminated last line: " << run.output.substr(start);
    // Windows' C runtime writes text-mode newlines as CR LF.
    lines.push_back(run.output.substr(start, end - start - (end > start && run.output[end - 1] == '\r')));
    start = end + 1;
  }
  struct Piece {
    std::string label, summary;
  };
  const Piece pieces[] = {{"clouds8", "clouds8.hex: 2048 x 1024"}, {"level 8", "level 8: 2640198 nodes"}};
  size_t after = 0;  // the pieces come in this order
  for (const Piece& piece : pieces) {
    SCOPED_TRACE(piece.label);
    std::vector<int> percents;
    size_t last = 0, summary = lines.size();
    for (size_t k = 0; k < lines.size(); ++k) {
      const std::string& line = lines[k];
      if (line.rfind(piece.summary, 0) == 0) summary = k;
      const std::string prefix = piece.label + ": ";
      if (line.rfind(prefix, 0) != 0 || line.back() != '%') continue;
      percents.push_back(std::atoi(line.c_str() + prefix.size()));
      EXPECT_EQ(line, prefix + std::to_string(percents.back()) + "%");
      EXPECT_GE(k, after) << "before the piece ahead of it ended";
      last = k;
    }
    EXPECT_EQ(percents, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100})) << run.output;
    EXPECT_GT(summary, last) << run.output;
    EXPECT_LT(summary, lines.size()) << run.output;
    after = summary;
  }
}

TEST_F(MkdataProgramTest, HelpSaysWhatIsRealAndWhatCanBeSynthesizedOrImported) {
  const ProgramRun help = RunMkdataProgram({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* phrase : {"REAL", "MOLA", "Viking", "SYNTHESIZE", "--synthetic", "--sources", "--seed",
                             "--mola-topo", "--colour-map", "--cloud-map", "--stars", "--progress-lines", "--setup-folder"})
    EXPECT_NE(help.output.find(phrase), std::string::npos) << phrase;
}

}  // namespace
