// Every file call and map-table allocation of a subject made to fail in turn, once as a single
// failure and once as a disk that fills from that call on: the loader (without and with caches),
// the cache writer, the builder writing a level, the settings file and the screenshot writer.
// Each run must end as the program promises: one line naming the file and the reason, or the
// fallback (defaults, no cache, no picture), and never a user's file changed, a file cut short
// under its final name, or a temporary file left behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mapdata/derived_cache.h"
#include "mapdata/map_data.h"
#include "mapdata/table_memory.h"
#include "platform/fault_points.h"
#include "settings/saver_settings.h"
#include "shell/screenshot.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/support/test_run.h"
#include "tests/support/user_folders.h"
#include "tools/mkdata/level_writer.h"
#include "tools/mkdata/mola_grid.h"
#include "tools/mkdata/real_relief.h"
#include "tools/mkdata/surface_colour.h"

namespace {

using Files = std::map<std::string, std::vector<uint8_t>>;

// Every file under folder (names relative to it) with its bytes, but those named in unread,
// which are only listed.
Files Snapshot(const std::filesystem::path& folder, const Files& unread = {}) {
  Files files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = std::filesystem::relative(entry.path(), folder).generic_string();
    files[name] = unread.count(name) ? std::vector<uint8_t>() : ReadFileBytes(entry.path().string());
  }
  return files;
}

bool HasTemporaryFile(const Files& files) {
  for (const auto& [name, bytes] : files)
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) return true;
  return false;
}

// The plan of the run in progress, armed only around the subject's own calls (WithFaults), so the
// test's preparations and checks neither count nor fail.
FaultPlan gRunPlan = FaultPlan::Count;
uint32_t gRunPoint = 0, gRunCounted = 0;

template <typename Call>
auto WithFaults(const Call& call) {
  ArmFaultPoints(gRunPlan, gRunPoint);
  const auto result = call();
  gRunCounted = FaultPointsCounted();
  ArmFaultPoints(FaultPlan::Off, 0);
  return result;
}

// What one run left: the subject's verdict ("" when it held its promise).
using Run = std::function<std::string()>;

// How the runs of a sweep ended, by the outcome each judge names (Outcome), for the summary line.
std::map<std::string, uint32_t> gOutcomes;
void Outcome(const std::string& what) { ++gOutcomes[what]; }

// The number of calls of one kind in a row around `point` (up to kLongRun).
constexpr uint32_t kLongRun = 16;
uint32_t RunOfKind(uint32_t point, FaultCall call) {
  uint32_t length = 1;
  FaultCall other{};
  for (uint32_t k = point - 1; length < kLongRun && FaultPointCall(k, &other) && other == call; --k) ++length;
  for (uint32_t k = point + 1; length < kLongRun && FaultPointCall(k, &other) && other == call; ++k) ++length;
  return length;
}

// Whether the short sweep of the test command tries a point: every point, but inside a long run
// of calls of one kind (the loader's 181 node-row reads are one line of code) only its ends and
// every eighth. REDSPHERE_FAULT_SWEEP=all tries every point.
bool Tried(uint32_t point, FaultPlan plan) {
  FaultCall call{}, before{}, after{};
  if (!FaultPointCall(point, &call)) return false;
  // A disk that fills at a read is the same as one that fills at the next write.
  if (plan == FaultPlan::DiskFull && !FillsTheDisk(call)) return false;
  static const bool all = [] {
    const char* sweep = std::getenv("REDSPHERE_FAULT_SWEEP");
    return sweep && std::string(sweep) == "all";
  }();
  if (all || point % 8 == 0 || RunOfKind(point, call) < kLongRun) return true;
  return !FaultPointCall(point - 1, &before) || before != call || !FaultPointCall(point + 1, &after) || after != call;
}

// Runs the subject once to count its fault points, then once per point tried under each plan,
// and fails the test at the first broken promise. Returns the runs made under a fault.
uint32_t Sweep(const char* subject, const Run& run) {
  gRunPlan = FaultPlan::Count;
  EXPECT_EQ(run(), "") << subject << " without faults";
  gOutcomes.clear();
  const uint32_t points = gRunCounted;
  EXPECT_GT(points, 0u) << subject << " makes no file call that can fail";
  uint32_t tried = 0;
  for (FaultPlan plan : {FaultPlan::FailOne, FaultPlan::DiskFull}) {
    for (uint32_t point = 1; point <= points; ++point) {
      if (!Tried(point, plan)) continue;
      gRunPlan = plan;
      gRunPoint = point;
      const std::string verdict = run();
      gRunPlan = FaultPlan::Count;
      ++tried;
      if (!verdict.empty()) {
        ADD_FAILURE() << subject << ", " << (plan == FaultPlan::FailOne ? "call " : "disk full from call ") << point
                      << " of " << points << ": " << verdict;
        return tried;
      }
    }
  }
  std::string outcomes;
  for (const auto& [what, count] : gOutcomes)
    outcomes += (outcomes.empty() ? "" : ", ") + std::to_string(count) + " " + what;
  std::printf("[ faults   ] %s: %u fault points, %u runs: %s\n", subject, points, tried, outcomes.c_str());
  return tried;
}

// The failure lines a call wrote on standard error ("?" and the text for anything that is not
// whole "redsphere: " lines).
std::vector<std::string> FailureLinesOf(const std::function<bool()>& call, bool* result) {
  testing::internal::CaptureStderr();
  *result = call();
  const std::string text = testing::internal::GetCapturedStderr();
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos || text.compare(start, 11, "redsphere: ") != 0) return {"?" + text};
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

class LoaderFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    // Level 1 keeps a run short: 181 node rows, each read a fault point of its own.
    ASSERT_TRUE(WriteTestDataSet(data.str(), MakeTestDataSet(1)));
    UseUserFolders(user.str());
    std::snprintf(gSaverSettings.DataPath, kDataPathSize, "%s", data.str().c_str());
    gSaverSettings.MaxPPD = 1;
    gSaverSettings.Clouds = 1;
    gTestLimits.maxTextureSize = 16384;
    request = TestLoadRequest();
    userData = Snapshot(data.path);
    for (const auto& [name, bytes] : userData) userTimes[name] = std::filesystem::last_write_time(data / name);
    // The caches a load without faults derives, to compare with what each faulty run leaves.
    MapData map{};
    ASSERT_TRUE(LoadMapData(request, map));
    FreeMapData(map);
    caches = Snapshot(data.path);
    for (const auto& [name, bytes] : userData) caches.erase(name);
    ASSERT_EQ(caches.size(), 2u);  // terra1.hex, sea1.hex
  }

  void RemoveCaches() {
    for (const auto& [name, bytes] : caches) std::filesystem::remove(data / name);
    std::filesystem::remove_all(user.path);
    std::filesystem::create_directories(user.path);
  }

  // One load: a success with every table as derived without faults, or one line naming a file
  // of the folder or the memory it lacked; the data files untouched; each cache left absent or
  // whole, and no temporary file.
  std::string LoadAndJudge() {
    MapData map{};
    bool loaded = false;
    const std::vector<std::string> lines =
        FailureLinesOf([&] { return WithFaults([&] { return LoadMapData(request, map); }); }, &loaded);
    std::string verdict;
    // A load goes on past a cache it cannot store, with a line for it; a failed load has one line.
    size_t cacheLines = 0;
    for (const std::string& line : lines)
      if (line.find("1.hex: ") != std::string::npos && line.find("the cache is derived again") != std::string::npos)
        ++cacheLines;
    const std::string last = lines.empty() ? "" : lines.back();
    if (loaded && cacheLines != lines.size()) verdict = "loaded, yet said " + last;
    if (!loaded && (lines.empty() || cacheLines + 1 != lines.size() || last[0] == '?'))
      verdict = "failed without one line: " + last;
    if (!loaded && last.find(".hex in " + data.str()) == std::string::npos &&
        last.find("no memory for") == std::string::npos)
      verdict = "the line names no file: " + last;
    Outcome(!loaded ? "ended with one line" : cacheLines ? "loaded, a line per cache not stored" : "loaded silently");
    if (loaded && (std::memcmp(map.terra, caches["terra1.hex"].data(), 4 * map.nodeCount) != 0 ||
                   std::memcmp(map.seaImage, caches["sea1.hex"].data(), 4 * map.seaWidth * map.seaHeight) != 0))
      verdict = "loaded other derived tables";
    FreeMapData(map);
    // The data files by length and time (the clouds alone are 8 MB); by bytes once a sweep is done.
    for (const auto& [name, time] : userTimes)
      if (std::filesystem::last_write_time(data / name) != time ||
          std::filesystem::file_size(data / name) != userData[name].size())
        verdict += " " + name + " was changed;";
    Files left = Snapshot(data.path, userData);
    for (const auto& [name, bytes] : Snapshot(user.path)) {
      const std::string base = std::filesystem::path(name).filename().string();
      if (base != "redsphere.log") left["user/" + base] = bytes;  // Windows keeps its failure lines there
    }
    if (HasTemporaryFile(left)) verdict += " a temporary file was left";
    for (const auto& [name, bytes] : left) {
      const std::string base = std::filesystem::path(name).filename().string();
      if (!userData.count(name) && (!caches.count(base) || caches.at(base) != bytes))
        verdict += " " + name + " is not whole;";
    }
    return verdict;
  }

  TempFolder data, user;
  LoadRequest request{};
  Files userData, caches;
  std::map<std::string, std::filesystem::file_time_type> userTimes;
};

TEST_F(LoaderFaults, EveryFailedCallEndsInOneLineOrAWholeLoad) {
  const uint32_t fresh = Sweep("loader deriving and storing its caches", [&] {
    RemoveCaches();
    return LoadAndJudge();
  });
  const uint32_t cached = Sweep("loader with its caches", [&] {
    for (const auto& [name, bytes] : caches) WriteFileBytes((data / name).string(), bytes.data(), bytes.size());
    return LoadAndJudge();
  });
  EXPECT_GT(fresh, cached);  // deriving adds the caches' writes
  const Files after = Snapshot(data.path);
  for (const auto& [name, bytes] : userData) EXPECT_EQ(after.at(name), bytes) << name;
}

// A stale cache under the final name is replaced whole or stays as it was.
TEST(CacheWriterFaults, AStoreThatFailsLeavesTheOldCache) {
  TempFolder data;
  const CacheFolders folders{data.str(), ""};
  const CacheStamp older{{724, 1}, {200, 2}, {400, 3}, 1, 0, true}, newer{{724, 1}, {200, 2}, {400, 9}, 1, 0, true};
  const std::vector<uint8_t> oldTable(400, 0x11), newTable(400, 0x22);
  ASSERT_TRUE(StoreDerivedCache(folders, "terra1.hex", oldTable.data(), oldTable.size(), older));
  const Files before = Snapshot(data.path);
  Sweep("cache writer over an older cache", [&] {
    const std::vector<uint8_t>& old = before.at("terra1.hex");
    if (!WriteFileBytes((data / "terra1.hex").string(), old.data(), old.size())) return std::string("no old cache");
    const bool stored =
        WithFaults([&] { return StoreDerivedCache(folders, "terra1.hex", newTable.data(), newTable.size(), newer); });
    const Files after = Snapshot(data.path);
    if (after.size() != 1 || HasTemporaryFile(after)) return std::string("files beside the cache");
    void* table = ReadDerivedCache(folders, "terra1.hex", newTable.size(), stored ? newer : older);
    const bool whole = table && std::memcmp(table, (stored ? newTable : oldTable).data(), 400) == 0;
    Outcome(stored ? "stored" : "old cache kept");
    TableRelease(table);
    return whole ? std::string() : std::string(stored ? "the new cache" : "the old cache") + " is not whole";
  });
}

// The builder's level over an earlier level of the same number: a failure is one line naming a
// level file, and the earlier level stays whole, or, when some of its files were already replaced,
// is taken out of the folder (its node file removed), never left as a mixture.
TEST(BuilderFaults, ALevelIsWrittenWholeOrTheEarlierOneKept) {
  // Real-grid relief at one sample a degree, coarser than the level's node spacing, so no noise
  // is added: each of the runs is cheap, and the files are as the builder writes them.
  MolaGrid grid;
  grid.lines = 180;
  grid.samples = 360;
  grid.ppd = 1.0;
  for (uint32_t k = 0; k < grid.lines * grid.samples; ++k) grid.values.push_back(static_cast<int16_t>(k % 7919 - 4000));
  SourceImage colours;
  colours.width = 64;
  colours.height = 32;
  colours.channels = 3;
  colours.pixels.assign(64 * 32 * 3, 0);
  for (size_t k = 0; k < colours.pixels.size(); ++k) colours.pixels[k] = static_cast<uint8_t>(k * 37);
  RealRelief relief;
  MakeRealRelief(grid, SourceImage{}, 1, 1, relief);
  const ColourMapSampler sampler = MakeColourSampler(colours);
  LevelSources sources;
  sources.realRelief = &relief;
  sources.molaAreoid = &grid;
  sources.colourMap = &sampler;
  TempFolder data;
  const std::string folder = data.str();
  LevelExtremes extremes;
  std::string error;
  ASSERT_TRUE(WriteLevel(folder, 1, sources, nullptr, extremes, error)) << error;
  const Files written = Snapshot(data.path);
  ASSERT_TRUE(WriteTestDataSet(folder, MakeTestDataSet(1)));
  Files earlier = Snapshot(data.path);
  for (const auto& [name, bytes] : earlier)
    if (!written.count(name)) std::filesystem::remove(data / name);  // the shared files are not the level's
  earlier = Snapshot(data.path);
  Sweep("builder writing a level", [&] {
    for (const auto& [name, bytes] : earlier) WriteFileBytes((data / name).string(), bytes.data(), bytes.size());
    std::string line;
    const bool done = WithFaults([&] { return WriteLevel(folder, 1, sources, nullptr, extremes, line); });
    const Files after = Snapshot(data.path);
    if (HasTemporaryFile(after)) return std::string("a temporary file was left");
    Outcome(done ? "written" : after == earlier ? "one line, earlier level kept" : "one line, level withdrawn");
    if (done) return after == written ? std::string() : std::string("written, but not the level");
    if (line.find('\n') != std::string::npos || line.rfind("cannot ", 0) != 0 || line.find(folder) == std::string::npos)
      return "not one line naming a file: " + line;
    if (after == earlier) return std::string();
    bool mixedButWithdrawn = !after.count("nodes1.hex");
    for (const auto& [name, bytes] : after)
      mixedButWithdrawn = mixedButWithdrawn && (bytes == earlier.at(name) || bytes == written.at(name));
    return mixedButWithdrawn ? std::string() : "the earlier level was changed: " + line;
  });
}

// A screenshot over an earlier run's picture of the same name: the new picture whole or the old
// one as it was.
TEST(ScreenshotFaults, AFailedPictureLeavesTheEarlierOne) {
  TempFolder desktop;
  const std::string path = (desktop / "Screenshot 01.bmp").string();
  const std::vector<uint8_t> earlier(100, 0x5a), pixels(BmpImageSize(7, 5), 0xc3);
  std::vector<uint8_t> picture;
  ASSERT_TRUE(SaveScreenshotFile(path.c_str(), pixels.data(), 7, 5));
  picture = ReadFileBytes(path);
  Sweep("screenshot writer", [&] {
    WriteFileBytes(path, earlier.data(), earlier.size());
    const bool saved = WithFaults([&] { return SaveScreenshotFile(path.c_str(), pixels.data(), 7, 5); });
    Outcome(saved ? "saved" : "earlier picture kept");
    const Files after = Snapshot(desktop.path);
    if (after.size() != 1) return std::string("files beside the picture");
    return after.begin()->second == (saved ? picture : earlier) ? std::string() : std::string("the picture is cut");
  });
}

#if !defined(_WIN32)
// The settings file, with a line of the user's own: a save that fails leaves the file as it was
// (the user's line too), and a load that fails gives each value from the file or its default.
TEST(SettingsFileFaults, AFailedSaveOrLoadLosesNothing) {
  TempFolder config;
  SetEnvironment("XDG_CONFIG_HOME", config.str().c_str());
  const std::string path = (config / "redsphere" / "settings.conf").string();
  SaverSettings stored = DefaultSaverSettings();
  const SettingDef& def = kSettingDefs[0];
  SetSettingValue(stored, def, def.defaultValue == def.minValue ? def.maxValue : def.minValue);
  SaveSettings(stored);
  std::vector<uint8_t> before = ReadFileBytes(path);
  const std::string own = "# kept by hand\nDataPath=/data/mars\n";
  before.insert(before.begin(), own.begin(), own.end());
  SaverSettings changed = stored;
  SetSettingValue(changed, def, def.defaultValue);
  Sweep("settings file saved", [&] {
    WriteFileBytes(path, before.data(), before.size());
    WithFaults([&] {
      SaveSettings(changed);
      return 0;
    });
    const Files after = Snapshot(config.path);
    if (after.size() != 1 || HasTemporaryFile(after)) return std::string("files beside the settings file");
    const std::vector<uint8_t>& now = after.begin()->second;
    Outcome(now == before ? "file as it was" : "saved");
    if (now == before) return std::string();
    const std::string text(now.begin(), now.end());
    SaverSettings back = DefaultSaverSettings();
    LoadSettings(back);
    return text.rfind(own, 0) == 0 && SettingValue(back, def) == def.defaultValue ? std::string()
                                                                                  : "the file now reads " + text;
  });
  const SaverSettings defaults = DefaultSaverSettings();
  Sweep("settings file loaded", [&] {
    WriteFileBytes(path, before.data(), before.size());
    SaverSettings loaded = defaults;
    WithFaults([&] {
      LoadSettings(loaded);
      return 0;
    });
    std::string verdict;
    if (std::strcmp(loaded.DataPath, "/data/mars") != 0 && std::strcmp(loaded.DataPath, defaults.DataPath) != 0)
      verdict = "data folder " + std::string(loaded.DataPath);
    for (const SettingDef& each : kSettingDefs)
      if (SettingValue(loaded, each) != SettingValue(stored, each) && SettingValue(loaded, each) != each.defaultValue)
        verdict += std::string(" ") + each.name;
    if (ReadFileBytes(path) != before) verdict += " the file changed";
    const bool asStored = SettingValue(loaded, def) == SettingValue(stored, def);
    Outcome(std::string(asStored ? "stored values" : "defaults") +
            (std::strcmp(loaded.DataPath, "/data/mars") == 0 ? " and folder" : ", default folder"));
    return verdict;
  });
  SetEnvironment("XDG_CONFIG_HOME", nullptr);
}
#endif

}  // namespace
