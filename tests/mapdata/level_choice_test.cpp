// The level a run loads from the levels a folder holds, and the settings dialog's line about the
// folder.
#include "mapdata/level_choice.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"

namespace {

void Touch(const TempFolder& folder, const std::string& name) { ASSERT_TRUE(WriteFileBytes((folder / name).string(), "", 0)); }

// The levels the scan lists in the folder, as the run's configuration receives them.
std::vector<int32_t> LevelsIn(const TempFolder& folder) {
  int32_t list[kLevelListCapacity];
  const int32_t count = ScanLevelsIn(folder.str().c_str(), list, kLevelListCapacity);
  return std::vector<int32_t>(list, list + count);
}

// A stored level the folder lacks gives way to the nearest one it has (the lower of two equally
// near); a folder with none leaves the fallback level, which the loader then reports missing.
TEST(LevelChoice, ChosenLevelIsTheNearestPresent) {
  struct Case {
    uint32_t maxPPD;
    std::vector<std::string> names;
    uint32_t chosen;
  } cases[] = {
      {16, {"nodes8.hex"}, 8},
      {32, {"nodes8.hex", "nodes32.hex"}, 32},
      {8, {"nodes16.hex", "nodes32.hex", "nodes8.hex.tmp"}, 16},
      {64, {"nodes8.hex", "nodes16.hex", "nodes32.hex"}, 32},
      {12, {"nodes8.hex", "nodes16.hex"}, 8},
      {14, {"nodes8.hex", "nodes16.hex"}, 16},
      {4, {"nodes32.hex", "nodes8.hex"}, 8},
      {16, {}, 8},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    for (const std::string& name : c.names) Touch(folder, name);
    const std::vector<int32_t> levels = LevelsIn(folder);
    EXPECT_EQ(ChooseLevel(c.maxPPD, levels.data(), static_cast<int32_t>(levels.size())), c.chosen) << c.maxPPD;
  }
}

// The settings dialog's line: the levels, or why there are none.
TEST(LevelChoice, FolderDescriptions) {
  TempFolder folder;
  const std::string path = folder.str();
  char line[512];
  const int32_t levels[] = {8, 16};
  DescribeDataFolder(path.c_str(), levels, 2, line, sizeof line);
  EXPECT_EQ(std::string(line), "Map data in " + path + ": levels 8, 16");
  DescribeDataFolder(path.c_str(), levels, 1, line, sizeof line);
  EXPECT_EQ(std::string(line), "Map data in " + path + ": level 8");
  DescribeDataFolder(path.c_str(), nullptr, 0, line, sizeof line);
  EXPECT_EQ(std::string(line), "No map data in " + path + ": it holds no node file such as nodes8.hex");
  const std::string missing = (folder / "missing").string();
  DescribeDataFolder(missing.c_str(), nullptr, 0, line, sizeof line);
  EXPECT_EQ(std::string(line), "No map data in " + missing + ": the folder does not exist");
  Touch(folder, "nodes8.hex");
  const std::string file = (folder / "nodes8.hex").string();
  DescribeDataFolder(file.c_str(), nullptr, 0, line, sizeof line);
  EXPECT_EQ(std::string(line), "No map data in " + file + ": it is not a folder");
}

}  // namespace
