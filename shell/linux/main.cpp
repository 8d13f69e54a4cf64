// redsphere, the Linux program: reads the command line and the stored settings, then prints the
// usage, the settings or the sky over Mars, or runs the saver window in one of its modes. Exit
// status 2 for a bad command line, 1 for a date --when cannot read or when there is no map data,
// display or OpenGL, 0 otherwise.
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "camera/mars_clock.h"
#include "platform/level_scan.h"
#include "platform/platform.h"
#include "settings/saver_settings.h"
#include "shell/linux/driver_cache.h"
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

bool SunPosGiven(const LinuxOptions& options) {
  for (size_t i = 0; i < kSettingCount; ++i)
    if (kSettingDefs[i].number == &SaverSettings::SunPos) return options.settingGiven[i];
  return false;
}

// --print-sky: one "name value" a line, in an order scripts may rely on; six decimals keep the
// clock's hundredths of a second and the moons' places to a few metres.
void PrintSky(const LinuxOptions& options) {
  const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::system_clock::now().time_since_epoch()).count();
  const int64_t moment = options.whenGiven ? options.whenMillis : now;
  const MarsClock clock = MarsClockAt(moment);
  std::printf("mars_sol_date %.6f\n", clock.marsSolDate);
  std::printf("coordinated_mars_time %.6f\n", clock.coordinatedMarsTime);
  std::printf("solar_longitude %.6f\n", clock.solarLongitude);
  std::printf("equation_of_time %.6f\n", clock.equationOfTime);
  std::printf("subsolar_latitude %.6f\n", clock.subsolarLatitude);
  std::printf("subsolar_longitude %.6f\n", clock.subsolarLongitude);
  std::printf("sun_distance %.6f\n", clock.sunDistance);
  for (const MarsMission* mission : {&kCuriosity, &kPerseverance}) {
    std::printf("local_true_solar_time_%s %.6f\n", mission->name, LocalTrueSolarTime(clock, mission->eastLongitude));
    std::printf("sol_%s %lld\n", mission->name, static_cast<long long>(MissionSol(clock, *mission)));
  }
  for (const MarsMoon moon : {MarsMoon::Phobos, MarsMoon::Deimos}) {
    const char* name = moon == MarsMoon::Phobos ? "phobos" : "deimos";
    const MoonPlace place = MoonPlaceAt(moon, moment);
    std::printf("%s_latitude %.6f\n%s_longitude %.6f\n", name, place.latitude, name, place.eastLongitude);
    std::printf("%s_distance %.6f\n", name, place.distanceKm);
  }
  for (int i = 0; i < kPlanetCount; ++i) {
    const Planet planet = static_cast<Planet>(i);
    const char* name = PlanetName(planet);
    const PlanetPlace place = PlanetPlaceAt(planet, moment);
    std::printf("%s_latitude %.6f\n%s_longitude %.6f\n", name, place.latitude, name, place.eastLongitude);
    std::printf("%s_distance %.6f\n", name, place.distanceAu);
  }
}

}  // namespace

int main(int argc, char** argv) {
  LinuxOptions options;
  std::string error;
  if (!ParseOptions(argc, argv, options, &error)) {
    if (options.whenRefused) {
      std::fprintf(stderr, "redsphere: %s\n", error.c_str());
      return 1;
    }
    std::fprintf(stderr, "redsphere: %s\n\n%s", error.c_str(), UsageText().c_str());
    return 2;
  }
  if (options.help) {
    std::fputs(UsageText().c_str(), stdout);
    return 0;
  }
  if (options.mode == RunMode::PrintSky) {
    PrintSky(options);
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
  // A moment of one's own choosing is shown on the Mars clock unless a season was asked for too.
  if (options.whenGiven && !SunPosGiven(options)) gSaverSettings.SunPos = kSunPosNow;
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
  KeepDriverCacheOffAFullDisk();
  return RunSaverWindow(options);
}
