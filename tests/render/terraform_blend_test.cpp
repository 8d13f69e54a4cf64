// The blend level over a sequence of frames: how fast the sea rises and falls, and the drawing
// values that the level turns into.
#include "camera/terraform.h"
#include "render/terraform_blend.h"

#include <gtest/gtest.h>

namespace {

struct Frame {
  bool toggle;    // toggle the target before this frame
  float seconds;  // frame time
  int32_t level;  // whole level the frame stores in its slot
};

void RunFrames(const std::vector<Frame>& frames) {
  TerraformState state{};
  int index = 0;
  for (const Frame& frame : frames) {
    if (frame.toggle) ToggleTerraformTarget(state);
    EXPECT_EQ(AdvanceTerraformLevel(state, frame.seconds), frame.level) << "frame " << index;
    ++index;
  }
}

TEST(TerraformBlend, RiseFallAndEdgeFrames) {
  // A zero frame time still leaves 0 when switched on, and stays put otherwise.
  RunFrames({{false, 0.0f, 0}, {true, 0.0f, 1}, {false, 0.0f, 1}, {false, 0.1f, 4}, {false, 0.0f, 4}});
  // A very long frame jumps to 60 rising; falling it stops at 1 for one frame, then 0.
  RunFrames({{true, 5.0f, 1}, {false, 5.0f, 60}, {false, 0.016f, 60}, {true, 5.0f, 1}, {false, 0.0f, 0},
             {false, 1.0f, 0}});
  // Toggling during a rise turns back from the present level.
  RunFrames({{true, 0.0f, 1}, {false, 1.0f, 31}, {true, 0.5f, 16}, {false, 0.5f, 1}, {false, 0.0f, 0}});
  // Two seconds of 30 Hz frames take the level from 1 to 60.
  TerraformState state{};
  ToggleTerraformTarget(state);
  int32_t level = AdvanceTerraformLevel(state, 1.0f / 30);
  int frames = 1;
  while (level < 60 && frames < 1000) {
    level = AdvanceTerraformLevel(state, 1.0f / 30);
    ++frames;
  }
  EXPECT_EQ(level, 60);
  EXPECT_GE(frames, 59);
  EXPECT_LE(frames, 61);
}

TEST(TerraformBlend, DrawingValuesByLevel) {
  EXPECT_NEAR(SeaThreshold(1), 0.6918f, 1e-4f);
  EXPECT_NEAR(SeaThreshold(60), 0.9f, 1e-6f);
  // The terraformed alpha of a node at the coast (229) shows as land only up to level 59...
  EXPECT_GT(229 / 255.0f, SeaThreshold(59));
  EXPECT_LE(229 / 255.0f, SeaThreshold(60));
  // ...and the deepest floor (175) is sea from level 1.
  EXPECT_LE(175 / 255.0f, SeaThreshold(1));
  EXPECT_EQ(CloudAlpha(30), 0.0f);
  EXPECT_NEAR(CloudAlpha(31), 2.0f / 60, 1e-6f);
  EXPECT_NEAR(CloudAlpha(45), 0.5f, 1e-6f);
  EXPECT_NEAR(CloudAlpha(60), 1.0f, 1e-6f);
  EXPECT_NEAR(ShadowedDiffuse(0), 0.2f, 1e-6f);
  EXPECT_NEAR(ShadowedDiffuse(60), 0.3f, 1e-6f);
}

}  // namespace
