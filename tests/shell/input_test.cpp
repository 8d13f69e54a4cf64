// Keys, mouse and the per-frame control step as a user drives them: which keys are handled (an
// unhandled key ends the saver), what each command does to the camera, the speed factors and the
// limits, the flyby's zoom rule, the terraforming schedule and the frame's projection.
#include <gtest/gtest.h>

#include <cstring>

#include "camera/camera_state.h"
#include "camera/control_step.h"
#include "camera/flyby.h"
#include "camera/terraform.h"
#include "platform/platform.h"
#include "settings/saver_settings.h"
#include "mapdata/resolve_run_config.h"
#include "shell/saver_core.h"
#include "shell/screenshot.h"
#include "tests/shell/fake_platform.h"

namespace {

// A back end that draws nothing; its frames read back as black.
bool ReadBlackFrame(FramePixels& pixels) {
  std::memset(pixels.bgr, 0, BmpImageSize(pixels.width, pixels.height));
  return true;
}
const RenderBackEnd kBlackBackEnd{nullptr, nullptr, nullptr, nullptr, ReadBlackFrame, nullptr, nullptr};

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gSaverSettings = DefaultSaverSettings();
    gSaverCore.config = ResolveRunConfig(gSaverSettings, RunLimits{true, 16384, 0}, nullptr, 0);
    gSaverCore.config.automatic = false;
    gSaverCore.input = InputState{};
    gSaverCore.input.reliefTarget = 10.0f;
    gSaverCore.terraform = TerraformState{false, 0.0f, 0.0f, 0};
    gFakePlatform = FakePlatform{};
    gSaverCore.flyby = kStartFlyby;
    // The start pose of a 4:3 screen on a level-8 map: minimum distance 6,652,000 m.
    CameraState& c = gSaverCore.cameras;
    c = CameraState{};
    SetSpherical(c.initialCamera.point, kMaxCameraDistance, 0, 0);
    SetOrientation(c.initialCamera, Vec3{0, 0, -1}, Vec3{0, 1, 0}, Vec3{1, 0, 0});
    c.heading = c.camera = c.initialCamera;
    SetSpherical(c.sun, 1.0f, 25.0f, 330.0f);
    c.minDistance = 6652000.0f;
    c.topHeight = 45000.0f;
    gSaverCore.requests.cursorCentreX = 400;
    gSaverCore.requests.cursorCentreY = 300;
    gSaverCore.requests.fileShotWanted = gSaverCore.requests.copyShotWanted = false;
    gSaverCore.backEnd = &kBlackBackEnd;
  }
  void Step(float dt) {
    ControlStep(gSaverCore.input, dt, gFakePlatform.capsLock, gSaverCore.config.automatic, gSaverCore.cameras);
  }
  void MoveMouse(int32_t dx, int32_t dy) {
    gFakePlatform.cursorX = gSaverCore.requests.cursorCentreX + dx;
    gFakePlatform.cursorY = gSaverCore.requests.cursorCentreY + dy;
    SaverPollMouse();
  }
};

TEST_F(InputTest, KeysThatEndTheSaverAndKeysThatDoNot) {
  // Manual mode: these end the saver (not handled).
  for (int32_t key : {9, 13, 16, 65, 90, 191, 200, 27})
    EXPECT_FALSE(SaverKeyDown(key)) << key;
  for (int32_t key : {17, 32, 33, 36, 37, 44, 48, 57, 73, 76, 96, 105, 107, 109, 112, 187, 188, 189, 190})
    EXPECT_TRUE(SaverKeyDown(key)) << key;
  // Esc only hides a help screen that is shown.
  gSaverCore.input.helpShown = true;
  EXPECT_TRUE(SaverKeyDown(kKeyEscape));
  EXPECT_FALSE(gSaverCore.input.helpShown);
  EXPECT_FALSE(SaverKeyDown(kKeyEscape));
  // Automatic mode: only Print Screen is the saver's; its key-up copies the frame.
  gSaverCore.config.automatic = 1;
  for (int32_t key : {17, 32, 37, 112})
    EXPECT_FALSE(SaverKeyDown(key)) << key;
  EXPECT_TRUE(SaverKeyDown(kKeySnapshot));
  EXPECT_TRUE(SaverKeyUp(kKeySnapshot));
  EXPECT_FALSE(SaverKeyUp(kKeyLeft));
}

TEST_F(InputTest, ScreenshotKeysAreTakenByTheNextFrameOnce) {
  for (uint8_t automatic : {0, 1}) {
    SCOPED_TRACE(automatic ? "automatic" : "manual");
    gSaverCore.config.automatic = automatic;
    gFakePlatform = FakePlatform{};
    EXPECT_EQ(SaverKeyDown(kKeyF2), automatic == 0);  // in the flyby F2 ends the saver
    EXPECT_TRUE(SaverKeyDown(kKeySnapshot));
    EXPECT_TRUE(SaverKeyUp(kKeySnapshot));
    // Between frames the buffers hold nothing the keys may read.
    EXPECT_EQ(gFakePlatform.copiedFrames, 0);
    EXPECT_EQ(gFakePlatform.desktopQueries, 0);
    SaverTakeScreenshots();
    EXPECT_EQ(gFakePlatform.copiedFrames, 1);
    EXPECT_EQ(gFakePlatform.desktopQueries, automatic ? 0 : 1);
    SaverTakeScreenshots();  // one picture per press
    EXPECT_EQ(gFakePlatform.copiedFrames, 1);
    EXPECT_EQ(gFakePlatform.desktopQueries, automatic ? 0 : 1);
  }
}

TEST_F(InputTest, CommandsFromKeys) {
  SaverKeyDown(kKeyCtrl);
  SaverKeyDown(kKeyPageUp);
  EXPECT_EQ(gSaverCore.input.zoom, 0);
  EXPECT_EQ(gSaverCore.input.roll, 1);
  SaverKeyUp(kKeyPageUp);
  EXPECT_EQ(gSaverCore.input.roll, 0);
  SaverKeyUp(kKeyCtrl);
  SaverKeyDown(kKeyPageDown);
  EXPECT_EQ(gSaverCore.input.zoom, 1);
  EXPECT_EQ(gSaverCore.input.roll, 0);
  SaverKeyUp(kKeyPad3);  // keypad 3 is where Page Down sits
  EXPECT_EQ(gSaverCore.input.zoom, 0);
  SaverKeyDown(kKeyLeft);
  EXPECT_EQ(gSaverCore.input.horizontalMove, -1);
  SaverKeyUp(kKeyPad4);
  EXPECT_EQ(gSaverCore.input.horizontalMove, 0);
  SaverKeyDown('0');
  EXPECT_FLOAT_EQ(gSaverCore.input.reliefTarget, 10.0f);
  SaverKeyDown('1');
  EXPECT_FLOAT_EQ(gSaverCore.input.reliefTarget, 1.0f);
  SaverKeyDown(kKeyPad0 + 7);
  EXPECT_FLOAT_EQ(gSaverCore.input.reliefTarget, 7.0f);
  SaverKeyDown(kKeySpace);
  EXPECT_TRUE(gSaverCore.terraform.TerraformTarget);
  SaverKeyDown(kKeyF1);
  EXPECT_TRUE(gSaverCore.input.helpShown);
}

TEST_F(InputTest, ReliefRisesTwoPerSecondFourWithCapsLockAndStopsAtTen) {
  gSaverCore.input.reliefTarget = 1.0f;
  SaverKeyDown(kKeyAdd);
  Step(1.0f);
  EXPECT_FLOAT_EQ(gSaverCore.input.reliefTarget, 3.0f);
  gFakePlatform.capsLock = true;
  Step(1.0f);
  EXPECT_FLOAT_EQ(gSaverCore.input.reliefTarget, 7.0f);
  Step(10.0f);
  EXPECT_FLOAT_EQ(gSaverCore.input.reliefTarget, 10.0f);
  SaverKeyUp(kKeyAdd);
  SaverKeyDown(kKeyOemMinus);
  Step(100.0f);
  EXPECT_FLOAT_EQ(gSaverCore.input.reliefTarget, 1.0f);
}

TEST_F(InputTest, MouseMotionCountsAndSpeedFactor) {
  for (int frame = 1; frame <= 10; ++frame) MoveMouse(5, 1);
  EXPECT_EQ(gSaverCore.input.horizontalCount, 10);
  EXPECT_EQ(gSaverCore.input.horizontalMove, 1);
  EXPECT_EQ(gFakePlatform.cursorX, 400) << "the cursor goes back to the centre";
  // Ten frames: the move runs 20/15 as fast as the key's.
  const float start = gSaverCore.cameras.camera.point.longitude;
  Step(0.1f);
  const float withMouse = gSaverCore.cameras.camera.point.longitude - start;
  SetUp();
  gSaverCore.input.horizontalMove = 1;
  Step(0.1f);
  const float withKey = gSaverCore.cameras.camera.point.longitude - start;
  EXPECT_NEAR(withMouse / withKey, 20.0f / 15.0f, 0.02f);
  for (int frame = 1; frame <= 20; ++frame) MoveMouse(-3, 0);
  EXPECT_EQ(gSaverCore.input.horizontalCount, 15);
  EXPECT_EQ(gSaverCore.input.horizontalMove, -1);

  // Mostly horizontal motion leaves the vertical commands as they were; no motion stops both.
  gSaverCore.input.verticalMove = 1;
  gSaverCore.input.verticalCount = 3;
  MoveMouse(4, 2);
  EXPECT_EQ(gSaverCore.input.verticalMove, 1);
  MoveMouse(0, 0);
  EXPECT_EQ(gSaverCore.input.horizontalMove, 0);
  EXPECT_EQ(gSaverCore.input.horizontalCount, 0);
  EXPECT_EQ(gSaverCore.input.verticalMove, 0);
  // Ctrl turns the view instead; the cursor going down looks down.
  SaverKeyDown(kKeyCtrl);
  MoveMouse(0, 7);
  EXPECT_EQ(gSaverCore.input.pitch, -1);
  EXPECT_EQ(gSaverCore.input.verticalMove, 0);
  // One wheel notch zooms for exactly one frame.
  SaverKeyUp(kKeyCtrl);
  gSaverCore.input.wheelDelta = 120;
  MoveMouse(0, 0);
  EXPECT_EQ(gSaverCore.input.zoom, -1);
  EXPECT_TRUE(gSaverCore.input.wheelActive);
  MoveMouse(0, 0);
  EXPECT_EQ(gSaverCore.input.zoom, 0);
  EXPECT_FALSE(gSaverCore.input.wheelActive);
}

TEST_F(InputTest, ZoomStaysWithinTheDistanceLimitsWhateverTheFrameTime) {
  gSaverCore.input.zoom = -1;
  for (float dt : {0.03f, 5.0f, 1000.0f}) {
    Step(dt);
    EXPECT_GE(gSaverCore.cameras.camera.point.distance, gSaverCore.cameras.minDistance) << dt;
  }
  EXPECT_FLOAT_EQ(gSaverCore.cameras.camera.point.distance, gSaverCore.cameras.minDistance);
  gSaverCore.input.zoom = 1;
  Step(1000.0f);
  EXPECT_FLOAT_EQ(gSaverCore.cameras.camera.point.distance, kMaxCameraDistance);
}

TEST_F(InputTest, ResetAndCancelRotation) {
  gSaverCore.input.pitch = 1;
  gSaverCore.input.horizontalMove = 1;
  Step(0.5f);
  EXPECT_GT(gSaverCore.cameras.camera.forward.y, 0.01f) << "looked up";
  gSaverCore.input.cancelRotationRequest = true;
  Step(0.0f);
  EXPECT_EQ(gSaverCore.input.horizontalMove, 0);
  EXPECT_FALSE(Vec3Differ(gSaverCore.cameras.camera.forward, gSaverCore.cameras.heading.forward));
  EXPECT_GT(gSaverCore.cameras.camera.point.longitude, 1.0f) << "the position stays";
  gSaverCore.input.resetRequest = true;
  Step(0.0f);
  EXPECT_FALSE(Vec3Differ(PointPosition(gSaverCore.cameras.camera.point), PointPosition(gSaverCore.cameras.initialCamera.point)));
}

TEST_F(InputTest, SunSpinsHalfADegreePerSecondAndTheStartPoseTurnsWithItInManualMode) {
  Step(2.0f);
  EXPECT_NEAR(gSaverCore.cameras.spinAngle, 359.0f, 1e-3f);
  EXPECT_NEAR(gSaverCore.cameras.sun.longitude, 329.0f, 1e-3f);
  EXPECT_NEAR(gSaverCore.cameras.initialCamera.point.longitude, 359.0f, 1e-3f);
  gSaverCore.config.automatic = 1;
  const float before = gSaverCore.cameras.initialCamera.point.longitude;
  Step(2.0f);
  EXPECT_FLOAT_EQ(gSaverCore.cameras.initialCamera.point.longitude, before);
  EXPECT_NEAR(gSaverCore.cameras.sun.longitude, 328.0f, 1e-3f);
}

TEST_F(InputTest, FlybySinksTowardsTheSunAndClimbsAwayWithinTheLimits) {
  CameraState& c = gSaverCore.cameras;
  // The first frame compares against an alignment of 1: it always climbs (here at the maximum: 0).
  FlybyStep(gSaverCore.flyby, gSaverCore.input, c);
  EXPECT_EQ(gSaverCore.input.zoom, 0);
  SetDistance(c.camera.point, 10000000.0f);
  gSaverCore.flyby.previousAlignment = 1.0f;
  FlybyStep(gSaverCore.flyby, gSaverCore.input, c);
  EXPECT_EQ(gSaverCore.input.zoom, 1);
  gSaverCore.flyby.previousAlignment = -1.0f;  // moving towards the sun side
  FlybyStep(gSaverCore.flyby, gSaverCore.input, c);
  EXPECT_EQ(gSaverCore.input.zoom, -1);
  SetDistance(c.camera.point, c.minDistance);
  gSaverCore.flyby.previousAlignment = -1.0f;
  FlybyStep(gSaverCore.flyby, gSaverCore.input, c);
  EXPECT_EQ(gSaverCore.input.zoom, 0) << "no push below the limit";
}

TEST_F(InputTest, TerraformScheduleCycles) {
  struct Case {
    uint32_t period;  // setting, in steps of 20 s
    float on, off;    // seconds into the cycle where the look switches
  } cases[] = {{1, 2.0f, 12.0f}, {10, 2.0f, 102.0f}};
  for (const Case& c : cases) {
    SetUp();
    gSaverCore.config.terraformMode = 2;
    gSaverCore.config.terraformPeriodSeconds = 20.0f * c.period;
    const float dt = 0.25f;
    std::vector<float> switches;
    bool target = false;
    for (float t = dt; t <= 2.0f * gSaverCore.config.terraformPeriodSeconds + 1.0f; t += dt) {
      TerraformSchedule(gSaverCore.terraform, gSaverCore.config, dt);
      if (gSaverCore.terraform.TerraformTarget != target) {
        target = gSaverCore.terraform.TerraformTarget;
        switches.push_back(t);
      }
    }
    ASSERT_EQ(switches.size(), 4u) << c.period;
    EXPECT_NEAR(switches[0], c.on + dt, dt) << c.period;
    EXPECT_NEAR(switches[1], c.off + dt, dt) << c.period;
    // The next cycle starts after one frame at the period's end.
    EXPECT_NEAR(switches[2] - switches[0], gSaverCore.config.terraformPeriodSeconds + dt, dt) << c.period;
  }
}

TEST_F(InputTest, SpaceInvertsThePeriodicLookAndEndsTheOnceLook) {
  gSaverCore.config.terraformMode = 2;
  gSaverCore.config.terraformPeriodSeconds = 20.0f;
  for (int i = 0; i < 20; ++i) TerraformSchedule(gSaverCore.terraform, gSaverCore.config, 0.25f);  // 5 s: on
  ASSERT_TRUE(gSaverCore.terraform.TerraformTarget);
  SaverKeyDown(kKeySpace);
  EXPECT_FALSE(gSaverCore.terraform.TerraformTarget);
  for (int i = 0; i < 32; ++i) TerraformSchedule(gSaverCore.terraform, gSaverCore.config, 0.25f);  // 13 s: the schedule's switch turns it on
  EXPECT_TRUE(gSaverCore.terraform.TerraformTarget);

  SetUp();
  gSaverCore.config.terraformMode = 1;
  for (int i = 0; i < 12; ++i) TerraformSchedule(gSaverCore.terraform, gSaverCore.config, 0.25f);
  EXPECT_TRUE(gSaverCore.terraform.TerraformTarget);
  SaverKeyDown(kKeySpace);
  for (int i = 0; i < 400; ++i) TerraformSchedule(gSaverCore.terraform, gSaverCore.config, 0.25f);
  EXPECT_FALSE(gSaverCore.terraform.TerraformTarget) << "the once schedule never acts again";
}

// Frames come two refresh intervals apart, but never more than 60 a second, whatever the display
// reports (30 on battery); a rate of 0 or 1 is its "hardware default" and keeps 60 Hz.
TEST_F(InputTest, FramesAreTwoRefreshIntervalsApartAndNeverMoreThanSixtyASecond) {
  FramePacing pacing = kStartPacing;
  SetRefreshRate(pacing, 0);
  SetRefreshRate(pacing, 1);
  EXPECT_EQ(pacing.refreshRate, 60.0);
  const struct {
    double hertz, seconds;
  } cases[] = {{60, 2.0 / 60}, {75, 2.0 / 75}, {100, 1.0 / 50}, {144, 1.0 / 60}, {240, 1.0 / 60}};
  gFakePlatform.counterTick = 10;  // microseconds a read
  pacing.counterFrequency = PlatformCounterFrequency();
  for (const auto& c : cases) {
    SetRefreshRate(pacing, c.hertz);
    RestartPacing(pacing);
    PaceFrame(pacing);
    EXPECT_NEAR(pacing.dt, c.seconds, 0.0001) << c.hertz << " Hz";
  }
  // On battery: at most 30 a second, and back to 60 on mains.
  gSaverCore.pacing = pacing;
  for (const bool battery : {true, false}) {
    SaverSetOnBattery(battery);
    SaverResume();
    PaceFrame(gSaverCore.pacing);
    EXPECT_NEAR(gSaverCore.pacing.dt, battery ? 1.0 / 30 : 1.0 / 60, 0.0001) << (battery ? "battery" : "mains");
  }
  gFakePlatform.counterTick = 0;
  gSaverCore.pacing = kStartPacing;
}

}  // namespace
