// redsphere, the Linux program: reads the command line and the stored settings, then prints the
// usage or the settings, or runs the saver window in one of its modes. Exit status 2 for a bad
// command line, 1 when there is no map data, display or OpenGL, 0 otherwise.
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/level_scan.h"
#include "platform/platform.h"
#include "settings/saver_settings.h"
#include "shell/linux/options.h"
#include "shell/linux/sdl_window.h"

namespace {

void PrintConfiguration(const LinuxOptions& options, const int32_t* levels, int32_t levelCount) {
  const SaverSettings& settings = gSaverSettings;
  const char* location = SettingsStoreLocation();
  struct stat info;
  const bool stored = stat(location, &info) == 0;
  bool anyOption = !options.dataPath.empty();
  for (bool given : options.settingGiven) anyOption = anyOption || given;

  std::printf("Settings file: %s%s\n", location, stored ? "" : " (not written yet: the defaults apply)");
  if (anyOption) std::printf("Shown with this command line's options over the stored values.\n");
  std::string found;
  for (int32_t i = 0; i < levelCount; ++i) found += (i ? ", " : "") + std::to_string(levels[i]);
  std::printf("\n%-30s map data folder (%s)\n", ("DataPath=" + std::string(settings.DataPath)).c_str(),
              levelCount ? ("levels " + found).c_str() : "no map data there");
  for (const SettingDef& def : kSettingDefs) {
    const std::string line = std::string(def.name) + "=" + std::to_string(SettingValue(settings, def));
    const std::string range =
        def.kind == SettingKind::Flag ? "0 or 1" : std::to_string(def.minValue) + " to " + std::to_string(def.maxValue);
    std::printf("%-30s %s (%s)\n", line.c_str(), def.meaning, range.c_str());
  }
  std::printf(
      "\nTo change them, edit the file: one Name=value a line. The options of --help change them for\n"
      "one run only.\n");
}

}  // namespace

int main(int argc, char** argv) {
  LinuxOptions options;
  std::string error;
  if (!ParseOptions(argc, argv, options, &error)) {
    std::fprintf(stderr, "redsphere: %s\n\n%s", error.c_str(), UsageText().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (!options.dataPath.empty()) {
    // Made absolute so that the lines that name the data folder (failures, --configure) name it in
    // full; nothing changes the working directory, so a relative path would find the same files.
    std::error_code failed;
    const std::string absolute = std::filesystem::absolute(options.dataPath, failed).lexically_normal().string();
    if (!failed && absolute.size() < kDataPathSize) options.dataPath = absolute;
  }

  LoadSettings(gSaverSettings);
  ApplySettingOptions(options, gSaverSettings);
  // Nobody steers an XScreenSaver hack or a picture sequence: both fly by themselves (the flyby,
  // or the tour when that is chosen).
  const bool unsteered = options.mode == RunMode::ForeignWindow || options.mode == RunMode::Frames;
  if (unsteered && gSaverSettings.AutoControl == 0) gSaverSettings.AutoControl = 1;
  // A picture sequence runs on a stepped clock: how long its frames take says nothing, and its
  // pictures must not depend on the machine.
  if (options.mode == RunMode::Frames) gSaverSettings.AdaptQuality = 0;

  int32_t levels[kLevelListCapacity];
  const int32_t count = ScanLevelsIn(gSaverSettings.DataPath, levels, kLevelListCapacity);
  if (options.configure) {
    PrintConfiguration(options, levels, count);
    return 0;
  }
  if (count == 0) {
    std::fprintf(stderr, "redsphere: no map data in %s (make it with redsphere-mkdata, or name a folder with --data)\n",
                 gSaverSettings.DataPath);
    return 1;
  }
  return RunSaverWindow(options);
}
