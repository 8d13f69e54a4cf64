// The run configuration the tests use: the settings record as a test sets it, with the texture
// limit and depth textures the test names, at the level its settings ask for, resolved the way a
// run resolves them.
#pragma once

#include "mapdata/map_data.h"
#include "mapdata/resolve_run_config.h"
#include "settings/saver_settings.h"

inline RunLimits gTestLimits{true, 16384, 0};

inline RunConfig TestRunConfig() {
  const int32_t level = static_cast<int32_t>(gSaverSettings.MaxPPD);
  return ResolveRunConfig(gSaverSettings, gTestLimits, &level, 1);
}

inline LoadRequest TestLoadRequest() { return LoadRequestFor(TestRunConfig()); }

// The same with depth textures present or not (OpenGL 1.4: shadows can be drawn).
inline RunConfig TestRunConfig(bool depthTextures) {
  gTestLimits.depthTextures = depthTextures;
  return TestRunConfig();
}
