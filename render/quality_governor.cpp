// Adaptive quality's stepping logic.
#include "render/quality_governor.h"

#include <algorithm>

namespace {

// A new level starts its measure afresh: the old level's times say nothing of it.
void Restart(QualityGovernor& governor) {
  governor.smoothed = -1.0;
  governor.measured = -1.0;
  governor.overrunSeconds = 0.0;
  governor.headroomSeconds = 0.0;
}

void Smooth(double& average, double sample, double frameSeconds) {
  if (average < 0.0) {
    average = sample;
    return;
  }
  average += std::min(1.0, frameSeconds / kQualitySmoothingSeconds) * (sample - average);
}

QualityChange StepDown(QualityGovernor& governor) {
  ++governor.level;
  // A step up taken back soon: this level must get clearly lighter before it is left again.
  if (governor.sinceUp < kQualityFailedUpSeconds) governor.failedUp[governor.level] = governor.upFrom;
  governor.sinceUp = kQualityFailedUpSeconds;
  Restart(governor);
  return QualityChange::Down;
}

bool MayStepUp(const QualityGovernor& governor) {
  if (governor.level == 0 || governor.headroomSeconds < kQualityUpSeconds) return false;
  const double failed = governor.failedUp[governor.level];
  return failed == 0.0 || governor.smoothed < kQualityRetryShare * failed;
}

QualityChange StepUp(QualityGovernor& governor) {
  governor.upFrom = governor.smoothed;
  --governor.level;
  governor.sinceUp = 0.0;
  Restart(governor);
  return QualityChange::Up;
}

}  // namespace

QualityGovernor StartQualityGovernor(bool shadowsConfigured) {
  QualityGovernor governor{};
  governor.shadowsConfigured = shadowsConfigured;
  governor.sinceUp = kQualityFailedUpSeconds;
  Restart(governor);
  return governor;
}

int32_t FloorLevel(const QualityGovernor& governor) {
  return static_cast<int32_t>(kQualityFloorShift) + (governor.shadowsConfigured ? 1 : 0);
}

QualityLevel QualityAt(const QualityGovernor& governor, int32_t level) {
  if (!governor.shadowsConfigured) return {false, static_cast<uint32_t>(level)};
  return {level == 0, static_cast<uint32_t>(std::max(level - 1, 0))};
}

QualityChange ObserveFrame(QualityGovernor& governor, double workSeconds, double frameSeconds, double interval) {
  governor.sinceUp += frameSeconds;
  Smooth(governor.smoothed, std::min(workSeconds, kQualityLongestSample * interval), frameSeconds);
  Smooth(governor.measured, workSeconds, frameSeconds);
  const bool overrun = governor.smoothed > kQualityOverrun * interval;
  const bool headroom = governor.smoothed < kQualityHeadroom * interval;
  governor.overrunSeconds = overrun ? governor.overrunSeconds + frameSeconds : 0.0;
  governor.headroomSeconds = headroom ? governor.headroomSeconds + frameSeconds : 0.0;
  if (governor.overrunSeconds >= kQualityOverrunSeconds && governor.level < FloorLevel(governor))
    return StepDown(governor);
  if (MayStepUp(governor)) return StepUp(governor);
  return QualityChange::Kept;
}
