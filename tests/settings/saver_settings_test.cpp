// Loading and saving through the platform's real store: defaults, clamping and round trips behave
// the same whether the values live in the registry or in the settings file.
#include "settings/saver_settings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/platform.h"
#include "tests/settings/store_isolation.h"

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { IsolateSettingsStore(); }
  void TearDown() override { IsolateSettingsStore(); }

  // Writes raw 32-bit values straight into the store, as a user or an old version might have.
  static void StoreRaw(std::initializer_list<std::pair<const char*, uint32_t>> values) {
    SettingsStore* store = SettingsStoreOpenWrite();
    ASSERT_NE(store, nullptr);
    for (const auto& [name, value] : values) SettingsStoreWriteValue(store, name, value);
    SettingsStoreClose(store);
  }
};

TEST_F(SettingsTest, NothingStoredGivesTheDefaults) {
  SaverSettings settings = DefaultSaverSettings();
  LoadSettings(settings);
  EXPECT_EQ(settings.Shadows, 1);
  EXPECT_EQ(settings.Atmosphere, 1);
  EXPECT_EQ(settings.Clouds, 1);
  EXPECT_EQ(settings.AutoControl, 1);
  EXPECT_EQ(settings.MaxPPD, 8u);
  EXPECT_EQ(settings.ReliefExFactor, 10u);
  EXPECT_EQ(settings.SunPos, 4u);
  EXPECT_EQ(settings.TerraformMode, 2u);
  EXPECT_EQ(settings.TerraformPeriod, 1u);
  EXPECT_FLOAT_EQ(settings.TerraformPeriodSeconds, 20.0f);
  char defaultPath[kDataPathSize];
  SettingsStoreDefaultDataPath(defaultPath, sizeof defaultPath);
  EXPECT_STREQ(settings.DataPath, defaultPath);
  EXPECT_GT(std::strlen(settings.DataPath), 0u);
}

TEST_F(SettingsTest, StoredValuesAreClampedIntoRange) {
  struct Case {
    const char* name;
    uint32_t stored;
    uint32_t loaded;
  } cases[] = {
      {"ReliefExFactor", 0, 1},   {"ReliefExFactor", 11, 10},   {"ReliefExFactor", 7, 7},
      {"TerraformPeriod", 0, 1},  {"TerraformPeriod", 10, 10},  {"TerraformPeriod", 11, 10},
      {"MaxPPD", 4, 8},           {"MaxPPD", 64, 32},           {"MaxPPD", 16, 16},
      {"SunPos", 0xFFFFFFFFu, 5}, {"SunPos", 0, 0},             {"TerraformMode", 3, 2},
      {"TerraformMode", 0, 0},    {"Shadows", 0, 0},            {"Shadows", 7, 1},
      {"AutoControl", 0, 0},      {"Clouds", 0x80000000u, 1},
  };
  for (const Case& c : cases) {
    StoreRaw({{c.name, c.stored}});
    SaverSettings settings = DefaultSaverSettings();
    LoadSettings(settings);
    for (const SettingDef& def : kSettingDefs) {
      if (std::strcmp(def.name, c.name) == 0) {
        EXPECT_EQ(SettingValue(settings, def), c.loaded) << c.name << " stored as " << c.stored;
      }
    }
    if (std::strcmp(c.name, "TerraformPeriod") == 0) {
      EXPECT_FLOAT_EQ(settings.TerraformPeriodSeconds, 20.0f * c.loaded) << c.stored;
    }
    IsolateSettingsStore();
  }
}

TEST_F(SettingsTest, SavedValuesLoadBackAndMissingOnesKeepMemory) {
  SaverSettings saved = DefaultSaverSettings();
  saved.Shadows = 0;
  saved.AutoControl = 0;
  saved.MaxPPD = 32;
  saved.ReliefExFactor = 3;
  saved.SunPos = 1;
  saved.TerraformMode = 1;
  saved.TerraformPeriod = 9;
  SaveSettings(saved);

  SaverSettings loaded = DefaultSaverSettings();
  LoadSettings(loaded);
  for (const SettingDef& def : kSettingDefs)
    EXPECT_EQ(SettingValue(loaded, def), SettingValue(saved, def)) << def.name;
  EXPECT_FLOAT_EQ(loaded.TerraformPeriodSeconds, 180.0f);

  // Only two values stored: the other fields keep what the record already held.
  IsolateSettingsStore();
  StoreRaw({{"SunPos", 2}, {"Clouds", 0}});
  SaverSettings partial = saved;
  LoadSettings(partial);
  EXPECT_EQ(partial.SunPos, 2u);
  EXPECT_EQ(partial.Clouds, 0);
  EXPECT_EQ(partial.ReliefExFactor, 3u);
  EXPECT_EQ(partial.TerraformPeriod, 9u);
  EXPECT_EQ(partial.Shadows, 0);
}

TEST_F(SettingsTest, DataPathComesFromTheStoreWhenItFits) {
  StoreDataPath("/srv/mars data");
  SaverSettings settings = DefaultSaverSettings();
  LoadSettings(settings);
  EXPECT_STREQ(settings.DataPath, "/srv/mars data");

  // 259 characters fit with the terminating zero; 260 do not and leave the default folder.
  const std::string fits(kDataPathSize - 1, 'a');
  StoreDataPath(fits);
  settings = DefaultSaverSettings();
  LoadSettings(settings);
  EXPECT_EQ(std::string(settings.DataPath), fits);

  StoreDataPath(std::string(kDataPathSize, 'b'));
  settings = DefaultSaverSettings();
  const std::string before = settings.DataPath;
  LoadSettings(settings);
  EXPECT_EQ(std::string(settings.DataPath), before);
}

}  // namespace
