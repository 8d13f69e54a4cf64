// The rules that make a run's configuration from the stored settings, what the back end offers and
// the levels the data folder holds. Nothing below the shells reads the settings record; every
// decision that combines a setting with what the platform offers is made here, once, by a function
// a test can drive through each fallback. It lives beside the map data because the level and the
// texture sizes it settles are the map data's.
#pragma once

#include <cstdint>

#include "settings/run_config.h"
#include "settings/saver_settings.h"

// Whether the implementation can draw shadows (depth textures) and the cloud layer (the narrowest
// cloud image fits a texture); the settings dialog offers only what it can.
bool ShadowsPossible(const RunLimits& limits);
bool CloudsPossible(const RunLimits& limits);
// Shadows and the cloud layer are drawn when the setting asks for them and they are possible.
bool ShadowsWanted(const SaverSettings& settings, const RunLimits& limits);
bool CloudsWanted(const SaverSettings& settings, const RunLimits& limits);

// The whole configuration: the level by ChooseLevel from the folder's levels (list ascending,
// count of them), the features by the rules above, the rest as stored.
RunConfig ResolveRunConfig(const SaverSettings& settings, const RunLimits& limits, const int32_t* levels,
                           int32_t count);
