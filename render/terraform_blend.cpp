// The formulas that turn a slot's terraform level into drawing values.
#include "render/terraform_blend.h"

float SeaThreshold(int32_t level) { return static_cast<float>(level + 195) * 0.9f / 255.0f; }

float CloudAlpha(int32_t level) {
  return level > kCloudLevel ? static_cast<float>(2 * level - 2 * kCloudLevel) / kMaxTerraformLevel : 0.0f;
}

float ShadowedDiffuse(int32_t level) { return 0.2f + (0.3f - 0.2f) * static_cast<float>(level) / kMaxTerraformLevel; }
