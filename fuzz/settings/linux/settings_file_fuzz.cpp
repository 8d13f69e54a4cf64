// Fuzz target of the Linux settings file: the fuzzer's bytes are settings.conf, read with the
// stores' own LoadSettings. Every value must come out within its table range and the data folder
// as a terminated path; saving the values and loading again must give the same record, whatever
// lines the file held besides.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "fuzz/support/fuzz_support.h"
#include "settings/saver_settings.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/support/user_folders.h"

namespace {

struct Harness {
  TempFolder root;
  std::string file;  // $XDG_CONFIG_HOME/redsphere/settings.conf
};

Harness& TheHarness() {
  static Harness harness;  // its folder goes when libFuzzer ends the run
  static const bool ready = [] {
    // Every folder the store or the default data folder may look at lies in the harness's own.
    const std::filesystem::path config = harness.root / "config", data = harness.root / "data";
    std::filesystem::create_directories(config / "redsphere");
    std::filesystem::create_directories(data);
    SetEnvironment("HOME", harness.root.str().c_str());
    SetEnvironment("XDG_CONFIG_HOME", config.string().c_str());
    SetEnvironment("XDG_DATA_HOME", data.string().c_str());
    SetEnvironment("XDG_DATA_DIRS", data.string().c_str());
    harness.file = (config / "redsphere" / "settings.conf").string();
    return true;
  }();
  (void)ready;
  return harness;
}

void CheckRanges(const SaverSettings& settings) {
  for (const SettingDef& def : kSettingDefs) {
    const uint32_t value = SettingValue(settings, def);
    FuzzCheck(value >= def.minValue && value <= def.maxValue, "every value lies within its range");
  }
  FuzzCheck(settings.TerraformPeriodSeconds == settings.TerraformPeriod * kTerraformPeriodStep,
            "the period in seconds follows the period");
  const void* end = std::memchr(settings.DataPath, '\0', sizeof settings.DataPath);
  FuzzCheck(end != nullptr && end != settings.DataPath, "the data folder is a terminated, non-empty path");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Harness& harness = TheHarness();
  FuzzCheck(WriteFileBytes(harness.file, data, size), "the harness can write the settings file");

  SaverSettings first = DefaultSaverSettings();
  LoadSettings(first);
  CheckRanges(first);

  SaveSettings(first);
  SaverSettings again = DefaultSaverSettings();
  LoadSettings(again);
  for (const SettingDef& def : kSettingDefs)
    FuzzCheck(SettingValue(again, def) == SettingValue(first, def), "a saved value reads back unchanged");
  FuzzCheck(std::strcmp(again.DataPath, first.DataPath) == 0, "saving keeps the data folder");
  return 0;
}
