// Adaptive quality: how long frames really take, and the steps that keep a slow machine smooth.
// Shadows go first (they draw the planet several times), then the mesh's triangle limits are
// halved, down to a floor; quality comes back after a stretch with headroom. Plain logic on the
// times the frame step gives it; each frame's request carries the level (render/frame_request.h).
#pragma once

#include <cstdint>

// What a level draws: shadows (where the run has them) and the triangle limits divided by
// 2^limitShift.
struct QualityLevel {
  bool shadows;
  uint32_t limitShift;
};

// The lowest limits are a quarter of the full ones: at an eighth a close pass shows the surface's
// facets, which looks broken rather than plain.
constexpr uint32_t kQualityFloorShift = 2;
// Work time is smoothed over about this many seconds, each frame counting as long as it lasted
// but as no more than kQualityLongestSample intervals: a stall (a swap held up, a page fault)
// changes nothing.
constexpr double kQualitySmoothingSeconds = 2.0;
constexpr double kQualityLongestSample = 2.5;
// A step down when the smoothed work time has stayed over 1.25 intervals for 3 s; a step up after
// 10 s under half an interval. A step up that had to be taken back within a minute remembers the
// work time it was tried at: that level steps up again only once its frames take half as long
// (the scene got lighter), so a steady load never swings between two levels.
constexpr double kQualityOverrun = 1.25;
constexpr double kQualityOverrunSeconds = 3.0;
constexpr double kQualityHeadroom = 0.5;
constexpr double kQualityUpSeconds = 10.0;
constexpr double kQualityFailedUpSeconds = 60.0;
constexpr double kQualityRetryShare = 0.5;
constexpr int32_t kQualityLevels = 4;  // full, shadows off, limits halved twice

struct QualityGovernor {
  bool shadowsConfigured;  // the run draws shadows at full quality: shadows off is the first step
  int32_t level;           // 0 full quality; each step down adds 1, up to FloorLevel
  double smoothed;         // smoothed work time in seconds; below 0 until the first frame of a level
  double measured;         // the same without the cut of long frames: what the lines report
  double overrunSeconds;   // how long the smoothed time has been over the overrun line
  double headroomSeconds;  // how long it has been under the headroom line
  double sinceUp;          // seconds since the last step up (large when there was none)
  double upFrom;           // the smoothed work time at which the last step up was taken
  double failedUp[kQualityLevels];  // by level: the work time a step up from it failed at; 0 none
};

enum class QualityChange { Kept, Down, Up };

QualityGovernor StartQualityGovernor(bool shadowsConfigured);
// The lowest level (the floor) of a governor.
int32_t FloorLevel(const QualityGovernor& governor);
// What a level of this governor draws.
QualityLevel QualityAt(const QualityGovernor& governor, int32_t level);
// One frame: workSeconds is how long it took before pacing, frameSeconds the whole frame,
// interval the pacing interval. Returns the step taken, if any (the new level is in governor).
QualityChange ObserveFrame(QualityGovernor& governor, double workSeconds, double frameSeconds, double interval);
