// The registry store under Wine with real keys: value types and sizes as a user's registry may
// hold them, and the data folder as an installer (or a careless tool) may have written it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/saver_settings.h"
#include "tests/settings/store_isolation.h"

namespace {

const char kMachineKey[] = "Software\\Redsphere";
const char kUserKey[] = "Software\\Redsphere\\Screensaver";

void SetRaw(HKEY root, const char* path, const char* name, DWORD type, const void* data, DWORD size) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  RegCloseKey(key);
}

class RegistryStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { IsolateSettingsStore(); }
  void TearDown() override { IsolateSettingsStore(); }
};

TEST_F(RegistryStoreTest, ValuesOfOtherTypesCountByTheirSize) {
  const BYTE four[4] = {5, 0, 0, 0};
  SetRaw(HKEY_CURRENT_USER, kUserKey, "ReliefExFactor", REG_BINARY, four, sizeof four);
  const unsigned long long eight = 3;
  SetRaw(HKEY_CURRENT_USER, kUserKey, "SunPos", REG_QWORD, &eight, sizeof eight);
  SaverSettings settings = DefaultSaverSettings();
  settings.SunPos = 2;
  LoadSettings(settings);
  EXPECT_EQ(settings.ReliefExFactor, 5u);  // 4 bytes of another type: taken as they are
  EXPECT_EQ(settings.SunPos, 2u);          // longer than 4 bytes: cannot be read, field unchanged
}

TEST_F(RegistryStoreTest, SaveWritesNineDwords) {
  SaverSettings settings = DefaultSaverSettings();
  settings.MaxPPD = 16;
  SaveSettings(settings);
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kUserKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
  for (const SettingDef& def : kSettingDefs) {
    DWORD type = 0, value = 0, size = sizeof value;
    ASSERT_EQ(RegQueryValueExA(key, def.name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS)
        << def.name;
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << def.name;
    EXPECT_EQ(value, SettingValue(settings, def)) << def.name;
  }
  RegCloseKey(key);
  // The data folder is the installer's, machine-wide: saving never creates it.
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMachineKey, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
}

TEST_F(RegistryStoreTest, DataPathWithoutTerminatingZero) {
  // Written as bytes without a zero: the folder still loads, terminated.
  const char path[] = "D:\\Mars";
  SetRaw(HKEY_LOCAL_MACHINE, kMachineKey, "DataPath", REG_BINARY, path, sizeof path - 1);
  SaverSettings settings = DefaultSaverSettings();
  std::memset(settings.DataPath, 'x', sizeof settings.DataPath);
  LoadSettings(settings);
  EXPECT_STREQ(settings.DataPath, "D:\\Mars");

  // 260 bytes without a zero cannot be terminated inside the buffer: the default stays.
  const std::string full(kDataPathSize, 'q');
  SetRaw(HKEY_LOCAL_MACHINE, kMachineKey, "DataPath", REG_BINARY, full.data(), static_cast<DWORD>(full.size()));
  settings = DefaultSaverSettings();
  LoadSettings(settings);
  EXPECT_STREQ(settings.DataPath, DefaultSaverSettings().DataPath);
}

}  // namespace

void IsolateSettingsStore() {
  RegDeleteTreeA(HKEY_CURRENT_USER, kMachineKey);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kMachineKey);
}

void StoreDataPath(const std::string& path) {
  SetRaw(HKEY_LOCAL_MACHINE, kMachineKey, "DataPath", REG_SZ, path.c_str(), static_cast<DWORD>(path.size() + 1));
}
