// The registry store under Wine with real keys: value types and sizes as a user's registry may
// hold them, and the data folder as an installer (or a careless tool) may have written it.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "settings/saver_settings.h"
#include "tests/settings/store_isolation.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/support/user_folders.h"

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

TEST_F(RegistryStoreTest, NumbersTypedAsTextAreTakenAnythingElseIsTheDefault) {
  struct Case {
    const char* what;
    DWORD type;
    const wchar_t* text;
    uint32_t relief;  // ReliefExFactor after loading over the default 10
  } cases[] = {
      {"a number as REG_SZ", REG_SZ, L"7", 7},
      {"spaces around it", REG_SZ, L" 3 ", 3},
      {"REG_EXPAND_SZ alike", REG_EXPAND_SZ, L"2", 2},
      {"-1 clamps to the maximum as a DWORD of -1 does", REG_SZ, L"-1", 10},
      {"0 clamps to the minimum", REG_SZ, L"0", 1},
      {"words are not a number", REG_SZ, L"five", 10},
      {"a number with words after it", REG_SZ, L"4 times", 10},
      {"empty", REG_SZ, L"", 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IsolateSettingsStore();
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Redsphere\\Screensaver", 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD bytes = static_cast<DWORD>((std::wcslen(c.text) + 1) * sizeof(wchar_t));
    ASSERT_EQ(RegSetValueExW(key, L"ReliefExFactor", 0, c.type, reinterpret_cast<const BYTE*>(c.text), bytes),
              ERROR_SUCCESS);
    RegCloseKey(key);
    SaverSettings settings = DefaultSaverSettings();
    LoadSettings(settings);
    EXPECT_EQ(settings.ReliefExFactor, c.relief);
  }
}

TEST_F(RegistryStoreTest, DataPathAsExpandableStringAndTooLong) {
  TempFolder local;
  UseUserFolders(local.str());
  // As deployments write it: expanded from the environment.
  const char expandable[] = "%SystemDrive%\\Mars";
  SetRaw(HKEY_LOCAL_MACHINE, kMachineKey, "DataPath", REG_EXPAND_SZ, expandable, sizeof expandable);
  SaverSettings settings = DefaultSaverSettings();
  LoadSettings(settings);
  char drive[16] = {};
  ASSERT_GT(GetEnvironmentVariableA("SystemDrive", drive, sizeof drive), 0u);
  EXPECT_EQ(std::string(settings.DataPath), std::string(drive) + "\\Mars");

  // A folder too long for the saver is not taken in silence: the log says why the default is used.
  const std::string longPath = "C:\\" + std::string(300, 'm');
  StoreDataPath(longPath);
  settings = DefaultSaverSettings();
  LoadSettings(settings);
  EXPECT_STREQ(settings.DataPath, DefaultSaverSettings().DataPath);
  const std::vector<uint8_t> log = ReadFileBytes((local / "Redsphere" / "redsphere.log").string());
  const std::string text(log.begin(), log.end());
  EXPECT_NE(text.find("\"DataPath\" is too long (303 characters, at most 259)"), std::string::npos) << text;
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
