// The terraform level's advance and the formulas that turn a slot's level into drawing values.
#include "render/terraform_blend.h"

TerraformState gTerraform{false, 0.0f};

void ToggleTerraformTarget() { gTerraform.TerraformTarget = !gTerraform.TerraformTarget; }

int32_t AdvanceTerraformLevel(float frameSeconds) {
  float& level = gTerraform.TerraformLevel;
  const float step = kTerraformRate * frameSeconds;
  if (gTerraform.TerraformTarget) {
    // Level 1 at once, so the frame after a switch on already builds a sea.
    if (level == 0.0f) {
      level = 1.0f;
    } else if (level < kMaxTerraformLevel) {
      level += step;
      if (level > kMaxTerraformLevel) level = kMaxTerraformLevel;
    }
  } else {
    if (level <= 1.0f) {
      level = 0.0f;
    } else {
      level -= step;
      // Held at 1 for one frame, then 0: the last sea frame is always drawn.
      if (level < 1.0f) level = 1.0f;
    }
  }
  return static_cast<int32_t>(level);
}

float SeaThreshold(int32_t level) { return static_cast<float>(level + 195) * 0.9f / 255.0f; }

float CloudAlpha(int32_t level) {
  return level > kCloudLevel ? static_cast<float>(2 * level - 2 * kCloudLevel) / kMaxTerraformLevel : 0.0f;
}

float ShadowedDiffuse(int32_t level) { return 0.2f + (0.3f - 0.2f) * static_cast<float>(level) / kMaxTerraformLevel; }
