// Levels found from node file names, and the working directory left as it was.
#include "platform/level_scan.h"

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
  const int32_t count = ScanLevelsIn(gSaverSettings.DataPath, list.data(), capacity);
  EXPECT_EQ(std::filesystem::current_path(), before);
  EXPECT_EQ(list[static_cast<size_t>(capacity)], -7) << "wrote past the capacity";
  list.resize(static_cast<size_t>(count));
  return list;
}

void Touch(const TempFolder& folder, const std::string& name) { ASSERT_TRUE(WriteFileBytes((folder / name).string(), "", 0)); }

// A level counts only when its node file exists under its own name: "nodes", the level in
// decimal without leading zeros, ".hex". Half-written files of the data builder and other names
// that merely contain a level are passed over.
TEST(LevelScan, NamesToLevels) {
  struct Case {
    std::vector<std::string> names;
    std::vector<int32_t> levels;
  } cases[] = {
      {{"nodes8.hex", "nodes32.hex"}, {8, 32}},
      {{"nodes32.hex", "nodes8.hex"}, {8, 32}},
      {{"nodes8.hex", "nodes8.bak"}, {8}},
      {{"nodes16.hex.tmp", "nodes8.hex.1234.tmp", ".nodes16.hex.1234-0.tmp", "nodes8.hex"}, {8}},
      {{"nodes16.hex.tmp"}, {}},
      {{"nodes08.hex", "nodes0.hex", "nodes.hex", "areoid16.hex", "xnodes4.hex", "nodes_v2_16.hex"}, {}},
      {{"nodes16.hex", "nodes16.old", "nodes8.hex", "topo32.hex"}, {8, 16}},
      {{"nodes1024.hex", "nodes1025.hex", "nodes99999999999999999999.hex"}, {1024}},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    for (const std::string& name : c.names) Touch(folder, name);
    EXPECT_EQ(Scan(folder), c.levels) << c.names.front();
  }
  TempFolder withFolder;  // a folder of that name is no node file
  std::filesystem::create_directory(withFolder / "nodes16.hex");
  EXPECT_EQ(Scan(withFolder), std::vector<int32_t>{});
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
  EXPECT_EQ(ScanLevelsIn(gSaverSettings.DataPath, list, 4), 0);
  EXPECT_EQ(std::filesystem::current_path(), before);
  EXPECT_TRUE(Scan(folder).empty());  // reachable but empty
}

}  // namespace
