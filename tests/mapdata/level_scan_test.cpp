// Levels found from node file names, and the working directory left as it was.
#include "mapdata/level_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <vector>

#include "settings/saver_settings.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"

namespace {

std::vector<int32_t> Scan(const TempFolder& folder, int32_t capacity = kLevelListCapacity) {
  std::snprintf(gSaverSettings.DataPath, kDataPathSize, "%s", folder.str().c_str());
  std::vector<int32_t> list(static_cast<size_t>(capacity) + 1, -7);
  const std::filesystem::path before = std::filesystem::current_path();
  const int32_t count = ScanLevels(list.data(), capacity);
  EXPECT_EQ(std::filesystem::current_path(), before);
  EXPECT_EQ(list[static_cast<size_t>(capacity)], -7) << "wrote past the capacity";
  list.resize(static_cast<size_t>(count));
  return list;
}

void Touch(const TempFolder& folder, const std::string& name) { ASSERT_TRUE(WriteFileBytes((folder / name).string(), "", 0)); }

TEST(LevelScan, NamesToLevels) {
  struct Case {
    std::vector<std::string> names;
    std::vector<int32_t> levels;
  } cases[] = {
      {{"nodes8.hex", "nodes32.hex"}, {8, 32}},
      {{"nodes32.hex", "nodes8.hex"}, {8, 32}},
      {{"nodes8.hex", "nodes8.bak"}, {8, 8}},
      {{"nodes08.hex"}, {8}},
      {{"nodes0.hex", "nodes.hex", "areoid16.hex", "xnodes4.hex"}, {}},
      {{"nodes_v2_16.hex"}, {2}},
      {{"nodes16.hex", "nodes16.old", "nodes8.hex", "topo32.hex"}, {8, 16, 16}},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    for (const std::string& name : c.names) Touch(folder, name);
    EXPECT_EQ(Scan(folder), c.levels) << c.names.front();
  }
  TempFolder withFolder;  // a folder counts as much as a file
  std::filesystem::create_directory(withFolder / "nodes16");
  EXPECT_EQ(Scan(withFolder), std::vector<int32_t>{16});
}

TEST(LevelScan, StopsAtCapacityAndSorts) {
  TempFolder folder;
  for (int level = 1; level <= 70; ++level) Touch(folder, "nodes" + std::to_string(level) + ".hex");
  const std::vector<int32_t> levels = Scan(folder);
  ASSERT_EQ(levels.size(), 64u);
  EXPECT_TRUE(std::is_sorted(levels.begin(), levels.end()));
  EXPECT_EQ(std::set<int32_t>(levels.begin(), levels.end()).size(), 64u);
  EXPECT_GE(levels.front(), 1);
  EXPECT_LE(levels.back(), 70);
  EXPECT_EQ(Scan(folder, 3).size(), 3u);
}

TEST(LevelScan, UnreachableFolderGivesNothingAndKeepsTheWorkingDirectory) {
  TempFolder folder;
  const std::filesystem::path before = std::filesystem::current_path();
  std::snprintf(gSaverSettings.DataPath, kDataPathSize, "%s", (folder / "missing").string().c_str());
  int32_t list[4];
  EXPECT_EQ(ScanLevels(list, 4), 0);
  EXPECT_EQ(std::filesystem::current_path(), before);
  EXPECT_TRUE(Scan(folder).empty());  // reachable but empty
}

TEST(LevelScan, ChosenLevelFallsBackToEight) {
  const int32_t only8[] = {8}, eightAnd32[] = {8, 32};
  EXPECT_EQ(ChooseLevel(16, only8, 1), 8u);
  EXPECT_EQ(ChooseLevel(32, eightAnd32, 2), 32u);
  EXPECT_EQ(ChooseLevel(8, eightAnd32, 2), 8u);
  EXPECT_EQ(ChooseLevel(16, nullptr, 0), 8u);
}

}  // namespace
