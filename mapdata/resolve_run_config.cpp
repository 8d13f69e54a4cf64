// Resolving a run's configuration from the settings, what the back end offers and the data folder's levels.
#include "mapdata/resolve_run_config.h"

#include <cstring>

#include "mapdata/level_choice.h"
#include "mapdata/map_formats.h"

bool ShadowsPossible(const RunLimits& limits) { return limits.depthTextures; }

bool CloudsPossible(const RunLimits& limits) { return limits.maxTextureSize >= kCloudTextureSize; }

bool ShadowsWanted(const SaverSettings& settings, const RunLimits& limits) {
  return settings.Shadows != 0 && ShadowsPossible(limits);
}

bool CloudsWanted(const SaverSettings& settings, const RunLimits& limits) {
  return settings.Clouds != 0 && CloudsPossible(limits);
}

RunConfig ResolveRunConfig(const SaverSettings& settings, const RunLimits& limits, const int32_t* levels,
                           int32_t count) {
  RunConfig config{};
  static_assert(sizeof config.dataPath == sizeof settings.DataPath);
  std::memcpy(config.dataPath, settings.DataPath, sizeof config.dataPath);
  config.dataPath[sizeof config.dataPath - 1] = '\0';
  config.level = ChooseLevel(settings.MaxPPD, levels, count);
  config.maxTextureSize = limits.maxTextureSize;
  config.shadows = ShadowsWanted(settings, limits);
  config.clouds = CloudsWanted(settings, limits);
  config.atmosphere = settings.Atmosphere != 0;
  config.automatic = settings.AutoControl != 0;
  config.tour = settings.AutoControl == 2;
  config.showFrameRate = settings.ShowFrameRate != 0;
  config.adaptQuality = settings.AdaptQuality != 0;
  config.monitors = static_cast<MonitorMode>(settings.Monitors <= 2 ? settings.Monitors : 0);
  config.reliefFactor = static_cast<float>(settings.ReliefExFactor);
  config.sunPosition = settings.SunPos;
  config.terraformMode = settings.TerraformMode;
  config.terraformPeriodSeconds = settings.TerraformPeriodSeconds;
  config.baseFieldOfView = kBaseFieldOfView;
  config.triangleShift = limits.triangleShift;
  config.meshThread = true;
  return config;
}
