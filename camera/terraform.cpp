// The terraformed look's target and the advance of its blend level.
#include "camera/terraform.h"

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
