// Writes a test data set into a folder of its own, points the settings at it and loads it the way
// the loader thread does; the tables are released after each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>

#include "mapdata/map_data.h"
#include "settings/saver_settings.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"

class LoadFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    set = MakeTestDataSet(8);
    UseFolder(folder);
    gSaverSettings.MaxPPD = 8;
    gSaverSettings.Clouds = 1;
    gMapData.maxTextureSize = 16384;
  }
  void TearDown() override { FreeMapData(); }

  void UseFolder(const TempFolder& where) {
    std::snprintf(gSaverSettings.DataPath, kDataPathSize, "%s", where.str().c_str());
  }
  void WriteSet() { ASSERT_TRUE(WriteTestDataSet(folder.str(), set)); }
  void Load() {
    FreeMapData();
    LoaderThreadMain();
    ASSERT_TRUE(gMapData.loaded.load());
  }
  std::string Path(const std::string& name) const { return (folder / name).string(); }
  uint64_t Index(uint32_t row, uint32_t j) const { return NodeIndex(set, row, j); }

  TestDataSet set;
  TempFolder folder;
};
