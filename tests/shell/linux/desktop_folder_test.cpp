// Where F2 and Print Screen put their files on Linux: the XDG desktop folder, else ~/Desktop, else
// the home folder; never a folder that does not exist. Each case builds its own home and XDG
// configuration and runs the real xdg-user-dir.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/platform.h"
#include "settings/saver_settings.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// Sets a variable for the test's lifetime and puts back what was there.
struct ScopedVariable {
  ScopedVariable(const char* name, const std::string* value) : name(name) {
    const char* old = std::getenv(name);
    hadOld = old != nullptr;
    if (old) oldValue = old;
    if (value)
      setenv(name, value->c_str(), 1);
    else
      unsetenv(name);
  }
  ~ScopedVariable() {
    if (hadOld)
      setenv(name, oldValue.c_str(), 1);
    else
      unsetenv(name);
  }
  const char* name;
  bool hadOld;
  std::string oldValue;
};

TEST(DesktopFolder, XdgThenDesktopThenHome) {
  struct Case {
    const char* what;
    const char* userDirsDesktop;  // XDG_DESKTOP_DIR in user-dirs.dirs, or null for no file
    bool makeXdgFolder;           // the folder it names exists
    bool makeDesktop;             // ~/Desktop exists
    const char* expected;         // relative to the home folder; null: no folder at all
  } cases[] = {
      {"the XDG folder", "$HOME/Schreibtisch", true, true, "Schreibtisch"},
      {"an XDG folder that is missing", "$HOME/Schreibtisch", false, true, "Desktop"},
      {"no XDG list", nullptr, false, true, "Desktop"},
      {"an XDG list without a desktop", "", false, true, "Desktop"},
      {"only a home", nullptr, false, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder temp;
    const fs::path home = temp / "home";
    const fs::path config = temp / "config";
    fs::create_directories(home);
    fs::create_directories(config);
    if (c.userDirsDesktop) {
      std::ofstream dirs(config / "user-dirs.dirs");
      if (c.userDirsDesktop[0]) dirs << "XDG_DESKTOP_DIR=\"" << c.userDirsDesktop << "\"\n";
      dirs << "XDG_MUSIC_DIR=\"$HOME/Music\"\n";
    }
    if (c.makeXdgFolder) fs::create_directories(home / "Schreibtisch");
    if (c.makeDesktop) fs::create_directories(home / "Desktop");
    const std::string homeText = home.string(), configText = config.string();
    ScopedVariable homeVariable("HOME", &homeText), configVariable("XDG_CONFIG_HOME", &configText);

    char out[kDataPathSize] = {};
    ASSERT_TRUE(PlatformDesktopFolder(out, sizeof out));
    const fs::path expected = c.expected[0] ? home / c.expected : home;
    EXPECT_EQ(fs::path(out), expected);
  }
}

TEST(DesktopFolder, NoneWithoutAHomeOrWhenTheNameDoesNotFit) {
  TempFolder temp;
  const std::string missing = (temp / "gone").string(), config = (temp / "config").string();
  ScopedVariable configVariable("XDG_CONFIG_HOME", &config);
  {
    ScopedVariable home("HOME", &missing);
    char out[kDataPathSize] = {};
    EXPECT_FALSE(PlatformDesktopFolder(out, sizeof out));
  }
  {
    ScopedVariable home("HOME", nullptr);
    char out[kDataPathSize] = {};
    EXPECT_FALSE(PlatformDesktopFolder(out, sizeof out));
  }
  const std::string home = temp.str();
  ScopedVariable homeVariable("HOME", &home);
  char small[4] = {'x', 0, 0, 0};
  EXPECT_FALSE(PlatformDesktopFolder(small, sizeof small));
  EXPECT_EQ(small[0], 'x');
}

}  // namespace
