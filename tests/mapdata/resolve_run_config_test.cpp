// The run's configuration: every fallback of the settings against what the OpenGL implementation
// offers and what the data folder holds, as a run resolves them once.
#include "mapdata/resolve_run_config.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "mapdata/map_data.h"

namespace {

TEST(RunConfig, FeaturesLevelAndFieldOfViewFollowSettingsLimitsAndLevels) {
  struct Case {
    const char* what;
    uint8_t shadows, clouds;
    RunLimits limits;
    uint32_t maxPPD;
    std::vector<int32_t> levels;
    bool wantShadows, wantClouds;
    uint32_t level;
  } cases[] = {
      {"everything there", 1, 1, {true, 16384, 0}, 16, {8, 16, 32}, true, true, 16},
      {"no depth textures: no shadows", 1, 1, {false, 16384, 0}, 16, {8, 16}, false, true, 16},
      {"shadows off by the user", 0, 1, {true, 16384, 0}, 16, {16}, false, true, 16},
      {"textures one texel short of the cloud image", 1, 1, {true, 2047, 0}, 8, {8}, true, false, 8},
      {"textures just wide enough", 1, 1, {true, 2048, 0}, 8, {8}, true, true, 8},
      {"clouds off by the user", 1, 0, {true, 16384, 0}, 8, {8}, true, false, 8},
      {"stored level missing: the nearest", 1, 1, {true, 16384, 0}, 32, {8, 16}, true, true, 16},
      {"two equally near: the lower", 1, 1, {true, 16384, 0}, 12, {8, 16}, true, true, 8},
      {"an empty folder: level 8, for the loader to name what is missing", 1, 1, {true, 16384, 0}, 32, {}, true,
       true, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SaverSettings settings{};
    std::snprintf(settings.DataPath, sizeof settings.DataPath, "%s", "/data/mars");
    settings.Shadows = c.shadows;
    settings.Clouds = c.clouds;
    settings.Atmosphere = 1;
    settings.MaxPPD = c.maxPPD;
    settings.ReliefExFactor = 7;
    const RunConfig config =
        ResolveRunConfig(settings, c.limits, c.levels.data(), static_cast<int32_t>(c.levels.size()));
    EXPECT_EQ(config.shadows, c.wantShadows);
    EXPECT_EQ(config.clouds, c.wantClouds);
    EXPECT_EQ(config.level, c.level);
    EXPECT_TRUE(config.atmosphere);
    EXPECT_EQ(config.reliefFactor, 7.0f);
    EXPECT_EQ(config.maxTextureSize, c.limits.maxTextureSize);
    EXPECT_STREQ(config.dataPath, "/data/mars");
    // The loader loads the cloud image exactly when the layer is drawn.
    EXPECT_EQ(LoadRequestFor(config).clouds, c.wantClouds);
    EXPECT_EQ(LoadRequestFor(config).level, c.level);
  }
  // Landscape views keep the base angle; portrait ones widen it so the globe keeps its width.
  const RunConfig config = ResolveRunConfig(SaverSettings{}, RunLimits{true, 4096, 0}, nullptr, 0);
  EXPECT_FLOAT_EQ(FieldOfViewFor(config, 16.0f / 9.0f), 24.0f);
  EXPECT_FLOAT_EQ(FieldOfViewFor(config, 1.0f), 24.0f);
  EXPECT_FLOAT_EQ(FieldOfViewFor(config, 0.75f), 32.0f);
}

}  // namespace
