// The settings file: what a hand-edited file may hold, and what saving must keep.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/platform.h"
#include "settings/saver_settings.h"
#include "tests/settings/store_isolation.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"

namespace {

using namespace std::string_literals;

TempFolder& ConfigHome() {
  static TempFolder folder;
  return folder;
}

std::string SettingsFile() { return (ConfigHome() / "redsphere/settings.conf").string(); }

void WriteSettingsFile(const std::string& text) {
  std::filesystem::create_directories(ConfigHome() / "redsphere");
  ASSERT_TRUE(WriteFileBytes(SettingsFile(), text.data(), text.size()));
}

std::string ReadSettingsFile() {
  const std::vector<uint8_t> bytes = ReadFileBytes(SettingsFile());
  return std::string(bytes.begin(), bytes.end());
}

// What a save may leave beside the settings file: nothing once it has returned.
std::vector<std::string> LeftoverTemporaryFiles() {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(ConfigHome() / "redsphere"))
    if (entry.path().extension() == ".tmp") found.push_back(entry.path().filename().string());
  return found;
}

class FileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { IsolateSettingsStore(); }
};

TEST_F(FileStoreTest, UnreadableLinesLeaveTheirFieldsAlone) {
  WriteSettingsFile(
      "# hand-edited\n"
      "SunPos = -1\n"              // as the registry holds -1: all bits set, clamps to 5
      "ReliefExFactor=4294967296\n"  // does not fit 32 bits
      "MaxPPD=sixteen\n"
      "TerraformMode=\n"
      "Clouds 0\n"                 // no '='
      "TerraformPeriod=3\r\n"      // written on Windows
      "Shadows=0\n"
      "Shadows=1\n"                // the last line wins
      "Atmosphere=\0\n"           // a damaged file: a zero byte is no number
      "DataPath=/data/mars\0/x\n"s); // nor part of a path
  SaverSettings settings = DefaultSaverSettings();
  settings.SunPos = 1;
  settings.ReliefExFactor = 6;
  settings.MaxPPD = 16;
  settings.TerraformMode = 1;
  LoadSettings(settings);
  EXPECT_EQ(settings.SunPos, 5u);
  EXPECT_EQ(settings.ReliefExFactor, 6u);
  EXPECT_EQ(settings.MaxPPD, 16u);
  EXPECT_EQ(settings.TerraformMode, 1u);
  EXPECT_EQ(settings.Clouds, 1);
  EXPECT_EQ(settings.TerraformPeriod, 3u);
  EXPECT_FLOAT_EQ(settings.TerraformPeriodSeconds, 60.0f);
  EXPECT_EQ(settings.Shadows, 1);
  EXPECT_EQ(settings.Atmosphere, 1);
  EXPECT_STREQ(settings.DataPath, DefaultSaverSettings().DataPath);
}

TEST_F(FileStoreTest, SavingKeepsEveryLineItDoesNotOwn) {
  WriteSettingsFile("# my settings\nDataPath=/data/mars\nShadows=1\nFavourite=olympus\nShadows=1\nNote=a\0b \n"s);
  SaverSettings settings = DefaultSaverSettings();
  settings.Shadows = 0;
  settings.SunPos = 3;
  SaveSettings(settings);
  const std::string text = ReadSettingsFile();
  EXPECT_NE(text.find("# my settings\n"), std::string::npos);
  EXPECT_NE(text.find("DataPath=/data/mars\n"), std::string::npos);
  EXPECT_NE(text.find("Favourite=olympus\n"), std::string::npos);
  EXPECT_NE(text.find("Note=a\0b \n"s), std::string::npos);  // byte for byte
  EXPECT_EQ(text.find("Shadows=1"), std::string::npos);  // both old lines replaced by one
  EXPECT_NE(text.find("Shadows=0\n"), std::string::npos);
  EXPECT_NE(text.find("SunPos=3\n"), std::string::npos);
  EXPECT_EQ(LeftoverTemporaryFiles(), std::vector<std::string>{});

  SaverSettings loaded = DefaultSaverSettings();
  LoadSettings(loaded);
  EXPECT_STREQ(loaded.DataPath, "/data/mars");
  EXPECT_EQ(loaded.Shadows, 0);
  EXPECT_EQ(loaded.SunPos, 3u);
}

// Two saves at once (two processes, or two threads of one) each write a file of their own and
// put it in place whole: the file is always one save's text, never a mixture of both.
TEST_F(FileStoreTest, SavesAtOnceLeaveOneSavesWholeFile) {
  const uint32_t values[2] = {1, 4000000000u};  // lines of different lengths, so a mixture shows
  auto save = [](uint32_t value) {
    SettingsStore* store = SettingsStoreOpenWrite();
    ASSERT_NE(store, nullptr);
    SettingsStoreWriteValue(store, "TerraformPeriod", value);
    SettingsStoreClose(store);
  };
  std::string whole[2];
  for (int k = 0; k < 2; ++k) {
    save(values[k]);
    whole[k] = ReadSettingsFile();
  }
  for (int round = 0; round < 300; ++round) {
    std::atomic<int> ready{0};
    std::thread savers[2];
    for (int k = 0; k < 2; ++k)
      savers[k] = std::thread([&, k] {
        ready.fetch_add(1);
        while (ready.load() < 2) {
        }
        save(values[k]);
      });
    for (std::thread& saver : savers) saver.join();
    const std::string text = ReadSettingsFile();
    ASSERT_TRUE(text == whole[0] || text == whole[1]) << "round " << round << ": " << text;
  }
  EXPECT_EQ(LeftoverTemporaryFiles(), std::vector<std::string>{});
}

TEST_F(FileStoreTest, SavingCreatesTheConfigFolder) {
  std::filesystem::remove_all(ConfigHome().path);
  SaveSettings(DefaultSaverSettings());
  EXPECT_TRUE(std::filesystem::exists(SettingsFile()));
  EXPECT_STREQ(SettingsStoreLocation(), SettingsFile().c_str());
}

// The default data folder: the user's own when it holds a level, else the first packaged set
// along $XDG_DATA_DIRS (a new user of the Debian package), else the user's (where a set goes).
TEST_F(FileStoreTest, DefaultDataFolderIsTheFirstThatHoldsALevel) {
  TempFolder root;
  const std::string user = (root / "user").string(), first = (root / "a").string(), second = (root / "b").string();
  setenv("XDG_DATA_HOME", user.c_str(), 1);
  setenv("XDG_DATA_DIRS", ("relative/share:" + first + ":" + second).c_str(), 1);
  auto put = [&](const std::string& folder, const char* name) {
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(WriteFileBytes(folder + "/" + name, "x", 1));
  };
  auto defaultPath = [] { return std::string(DefaultSaverSettings().DataPath); };

  EXPECT_EQ(defaultPath(), user + "/redsphere") << "nothing anywhere";
  put(first + "/redsphere/data", ".nodes16.hex.1234-0.tmp");
  put(first + "/redsphere/data", "nodes16.hex.1234.tmp");
  put(first + "/redsphere/data", "nodes08.hex");
  put(second + "/redsphere/data", "nodes8.hex");
  EXPECT_EQ(defaultPath(), second + "/redsphere/data") << "a builder's leftovers are no level";
  put(first + "/redsphere/data", "nodes32.hex");
  EXPECT_EQ(defaultPath(), first + "/redsphere/data");
  put(user + "/redsphere", "nodes8.hex");
  EXPECT_EQ(defaultPath(), user + "/redsphere") << "the user's own data comes first";
  StoreDataPath("/data/mars");
  SaverSettings stored = DefaultSaverSettings();
  LoadSettings(stored);
  EXPECT_STREQ(stored.DataPath, "/data/mars") << "a stored DataPath beats every default";
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_DATA_DIRS");
}

}  // namespace

void IsolateSettingsStore() {
  setenv("XDG_CONFIG_HOME", ConfigHome().str().c_str(), 1);
  std::filesystem::remove_all(ConfigHome() / "redsphere");
}

void StoreDataPath(const std::string& path) { WriteSettingsFile("DataPath=" + path + "\n"); }
