// Frame pacing on the platform's counter and the frame-rate meter.
#include "shell/frame_pacing.h"

#include <algorithm>

#include "platform/platform.h"

namespace {

constexpr double kPacingSlack = 0.00002;  // seconds: a frame may end this much early

// The rate over a count of at least `seconds`, which starts the count afresh; false before then.
bool TakeRate(FrameCount& count, double seconds, double* framesPerSecond) {
  if (count.seconds < seconds) return false;
  *framesPerSecond = count.frames / count.seconds;
  count = FrameCount{};
  return true;
}

}  // namespace

double FrameInterval(double refreshRate, double frameRateCap) {
  return std::max(2.0 / refreshRate, 1.0 / frameRateCap);
}

void SetRefreshRate(FramePacing& pacing, double hertz) {
  if (hertz > 1.0) pacing.refreshRate = hertz;
}

void RestartPacing(FramePacing& pacing) { pacing.lastCounter = PlatformCounter(); }

// The wait sleeps while more than a couple of milliseconds remain and spins on the counter only
// for the last one: the timing is the counter's, but the saver does not burn a core while it waits.
void PaceFrame(FramePacing& pacing) {
  const double interval = FrameInterval(pacing);
  const double frequency = static_cast<double>(pacing.counterFrequency);
  int64_t counter = PlatformCounter();
  pacing.workSeconds = static_cast<double>(counter - pacing.lastCounter) / frequency;
  for (;; counter = PlatformCounter()) {
    pacing.dt = static_cast<double>(counter - pacing.lastCounter) / frequency;
    const double remaining = interval - (pacing.dt + kPacingSlack);
    if (remaining <= 0.0) break;
    if (remaining > 0.002) PlatformSleepMilliseconds(static_cast<int32_t>(remaining * 1000.0) - 1);
  }
  pacing.lastCounter = counter;
}

void CountFrame(FrameRateMeter& meter, double seconds) {
  for (FrameCount* count : {&meter.display, &meter.report}) {
    ++count->frames;
    count->seconds += seconds;
  }
  TakeRate(meter.display, 1.0, &meter.shown);
}

bool TakeFrameRateReport(FrameRateMeter& meter, double* framesPerSecond) {
  return TakeRate(meter.report, kFrameRateReportSeconds, framesPerSecond);
}
