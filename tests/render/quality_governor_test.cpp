// Adaptive quality driven by a simulated clock: a frame's work time comes from a load model of
// the level it is drawn at, and the frame lasts at least the pacing interval.
#include "render/quality_governor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

namespace {

constexpr double kInterval = 1.0 / 30.0;

struct Step {
  double at;  // seconds into the run
  QualityChange change;
  int32_t level;  // after the step
};

// Runs `seconds` of frames; load(level, time) gives a frame's work time.
std::vector<Step> RunFrames(QualityGovernor& governor, double seconds,
                            const std::function<double(int32_t, double)>& load, double start = 0.0) {
  std::vector<Step> steps;
  for (double now = start; now < start + seconds;) {
    const double work = load(governor.level, now);
    const double frame = std::max(work, kInterval);
    now += frame;
    const QualityChange change = ObserveFrame(governor, work, frame, kInterval);
    if (change != QualityChange::Kept) steps.push_back({now, change, governor.level});
  }
  return steps;
}

// Work times of a software renderer too slow for the interval at every level: shadows double the
// cost, each halving of the limits takes a fifth off.
double Slow(int32_t level, double) {
  static const double kCosts[] = {0.180, 0.090, 0.070, 0.055};
  return kCosts[level];
}

TEST(QualityGovernor, StepsDownShadowsFirstThenLimitsToTheFloorAndStaysThere) {
  QualityGovernor governor = StartQualityGovernor(true);
  EXPECT_TRUE(QualityAt(governor, 0).shadows);
  const std::vector<Step> steps = RunFrames(governor, 600.0, Slow);
  ASSERT_EQ(steps.size(), 3u) << "three steps down to the floor, then none in ten minutes";
  for (const Step& step : steps) EXPECT_EQ(step.change, QualityChange::Down);
  EXPECT_LT(steps[0].at, 4.0) << "the first step after about three seconds of overrun";
  EXPECT_LT(steps[2].at, 20.0);
  const QualityLevel first = QualityAt(governor, 1), floor = QualityAt(governor, FloorLevel(governor));
  EXPECT_FALSE(first.shadows);
  EXPECT_EQ(first.limitShift, 0u);
  EXPECT_EQ(floor.limitShift, kQualityFloorShift);
  EXPECT_EQ(governor.level, FloorLevel(governor));

  // Without shadows the limits are the only steps.
  QualityGovernor plain = StartQualityGovernor(false);
  EXPECT_EQ(QualityAt(plain, 1).limitShift, 1u);
  EXPECT_EQ(FloorLevel(plain), static_cast<int32_t>(kQualityFloorShift));
}

TEST(QualityGovernor, OneSlowFrameOrAShortBurstChangesNothing) {
  QualityGovernor governor = StartQualityGovernor(true);
  // A 0.5 s stall (a swap under load) every 20 s, otherwise a quick 10 ms frame.
  const auto bursts = [](int32_t, double now) { return std::fmod(now, 20.0) < 0.5 ? 0.5 : 0.010; };
  EXPECT_TRUE(RunFrames(governor, 300.0, bursts).empty());
}

TEST(QualityGovernor, ComesBackUpWhenTheLoadLightensAndNeverSwingsUnderASteadyLoad) {
  QualityGovernor governor = StartQualityGovernor(true);
  RunFrames(governor, 60.0, Slow);
  ASSERT_EQ(governor.level, FloorLevel(governor));
  // The camera climbs away: every level takes 8 ms. One level every ten seconds or so.
  const std::vector<Step> up = RunFrames(governor, 120.0, [](int32_t, double) { return 0.008; }, 60.0);
  ASSERT_EQ(up.size(), 3u);
  for (const Step& step : up) EXPECT_EQ(step.change, QualityChange::Up);
  EXPECT_EQ(governor.level, 0);

  // Shadows cost 50 ms, without them 12 ms: the one try up is taken back, and then nothing for
  // half an hour.
  const auto steady = [](int32_t level, double) { return level == 0 ? 0.050 : 0.012; };
  const std::vector<Step> steps = RunFrames(governor, 1800.0, steady, 180.0);
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_EQ(steps[0].change, QualityChange::Down);
  EXPECT_EQ(steps[1].change, QualityChange::Up);
  EXPECT_EQ(steps[2].change, QualityChange::Down);
  EXPECT_EQ(governor.level, 1);

  // The scene lightens to a third: shadows come back and stay.
  const std::vector<Step> back = RunFrames(governor, 600.0, [](int32_t level, double) { return level == 0 ? 0.016 : 0.004; },
                                     1980.0);
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].change, QualityChange::Up);
  EXPECT_EQ(governor.level, 0);
}

}  // namespace
