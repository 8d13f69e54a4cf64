// Frame pacing and the frame-rate meter of the saver core: how long a frame may take, the wait to
// its end on the platform's counter, and the frames counted for the display and the report.
// Plain logic on the counter values the platform gives; window thread only.
#pragma once

#include <cstdint>

constexpr double kDefaultRefreshRate = 60.0;
// A frame takes two refresh intervals, but never less than 1/60 s: a screensaver gains nothing
// from 120 frames a second on a 240 Hz display and would spend the power.
constexpr double kMaxFramesPerSecond = 60.0;
constexpr double kBatteryFramesPerSecond = 30.0;  // a laptop on battery: half the frames, half the power
constexpr double kFrameRateReportSeconds = 5.0;

struct FramePacing {
  double refreshRate;       // display refresh in Hz; kDefaultRefreshRate unless the display reports a real rate
  double frameRateCap;      // most frames a second: kMaxFramesPerSecond, on battery kBatteryFramesPerSecond
  double dt;                // the previous frame's interval in seconds (0 on the first ready frame)
  double workSeconds;       // how much of it the frame took before pacing waited
  int64_t lastCounter;      // counter at the end of the previous frame's pacing
  int64_t counterFrequency;
};

constexpr FramePacing kStartPacing{kDefaultRefreshRate, kMaxFramesPerSecond, 0.0, 0.0, 0, 1};

double FrameInterval(double refreshRate, double frameRateCap = kMaxFramesPerSecond);
inline double FrameInterval(const FramePacing& pacing) { return FrameInterval(pacing.refreshRate, pacing.frameRateCap); }
// A refresh rate of 0 or 1 is the display's "hardware default": keep the one there is.
void SetRefreshRate(FramePacing& pacing, double hertz);
// The counter starts now: the first frame, or the first after a pause the frames should neither
// fly through nor count as slow.
void RestartPacing(FramePacing& pacing);
// Waits until FrameInterval has passed since the previous frame's end, sets dt to the whole
// interval and workSeconds to the part before the wait, and starts the next one.
void PaceFrame(FramePacing& pacing);

// Frames and the time they took since a count was last taken.
struct FrameCount {
  int32_t frames;
  double seconds;
};
// Frames counted for the frame-rate display: the rate shown (over the last second) and the one
// reported (over the last five seconds).
struct FrameRateMeter {
  FrameCount display;
  FrameCount report;
  double shown;  // frames per second; 0 until the first second has passed
};

void CountFrame(FrameRateMeter& meter, double seconds);
// The rate over the last kFrameRateReportSeconds when that much has passed since the last report,
// which starts the count afresh; else false.
bool TakeFrameRateReport(FrameRateMeter& meter, double* framesPerSecond);
