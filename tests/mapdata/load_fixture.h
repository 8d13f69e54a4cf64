// Writes a test data set into a folder of its own, points the settings and the per-user cache
// folder at folders of the test's own, and loads the set the way the loader thread does; the
// tables are released after each test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "mapdata/derived_cache.h"
#include "mapdata/map_data.h"
#include "settings/saver_settings.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/support/test_run.h"
#include "tests/support/user_folders.h"

class LoadFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    set = MakeTestDataSet(8);
    UseFolder(folder);
    UseUserFolders(userFolder.str());
    gSaverSettings.MaxPPD = 8;
    gSaverSettings.Clouds = 1;
    gTestLimits.maxTextureSize = 16384;
  }
  void TearDown() override { FreeMapData(map); }

  void UseFolder(const TempFolder& where) {
    std::snprintf(gSaverSettings.DataPath, kDataPathSize, "%s", where.str().c_str());
  }
  void WriteSet() { ASSERT_TRUE(WriteTestDataSet(folder.str(), set)); }
  void Load() {
    FreeMapData(map);
    LoaderThreadMain(TestLoadRequest(), map);
    ASSERT_TRUE(map.loaded.load());
  }
  std::string Path(const std::string& name) const { return (folder / name).string(); }
  uint64_t Index(uint32_t row, uint32_t j) const { return NodeIndex(set, row, j); }

  // The file `name` anywhere under the per-user folder; empty when there is none.
  std::string UserCache(const std::string& name) const {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(userFolder.path))
      if (entry.is_regular_file() && entry.path().filename() == name) return entry.path().string();
    return "";
  }

  TestDataSet set;
  TempFolder folder;
  TempFolder userFolder;
  MapData map{};  // what Load fills, as the saver window's map is filled
};

// A cache file's table without its trailer.
inline std::vector<uint8_t> CacheTable(const std::string& path) {
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  bytes.resize(bytes.size() >= kCacheTrailerBytes ? bytes.size() - kCacheTrailerBytes : 0);
  return bytes;
}

// Overwrites a cache file's table with recognisable bytes, keeping its trailer: a load that shows
// these bytes read the cache rather than deriving.
inline std::vector<uint8_t> PlantTable(const std::string& path, uint8_t seed) {
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  std::vector<uint8_t> table(bytes.size() - kCacheTrailerBytes);
  for (size_t k = 0; k < table.size(); ++k) table[k] = static_cast<uint8_t>(k * 13 + seed);
  std::copy(table.begin(), table.end(), bytes.begin());
  EXPECT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
  return table;
}
