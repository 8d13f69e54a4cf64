// The saver core's input: keys and mouse turned into control commands (manual control) or left to
// the shell's default, which ends the saver; and the window's place and monitors as the shell
// reports them.
#include <cstdlib>

#include "camera/control_step.h"
#include "camera/terraform.h"
#include "platform/platform.h"
#include "shell/saver_core.h"

namespace {

void StopCommands(int32_t& a, int32_t& b) { a = b = 0; }

bool Manual() { return !gSaverCore.config.automatic; }

}  // namespace

bool SaverKeyDown(int32_t key) {
  InputState& input = gSaverCore.input;
  if (key == kKeySnapshot) return true;
  if (gSaverCore.config.automatic) return false;
  if (key < kKeyCtrl || key > kKeyOemPeriod) return false;
  const bool ctrl = input.ctrlHeld;
  if ((key >= kKey0 && key <= kKey9) || (key >= kKeyPad0 && key <= kKeyPad0 + 9)) {
    const int digit = key >= kKeyPad0 ? key - kKeyPad0 : key - kKey0;
    input.reliefTarget = digit == 0 ? kMaxRelief : static_cast<float>(digit);
    input.relief = 0;
    return true;
  }
  switch (key) {
    case kKeyCtrl: input.ctrlHeld = true; return true;
    case kKeyEscape:
      if (!input.helpShown) return false;
      input.helpShown = false;
      return true;
    case kKeySpace: ToggleTerraformTarget(gSaverCore.terraform); return true;
    case kKeyPageUp: input.zoom = ctrl ? 0 : -1; input.roll = ctrl ? 1 : 0; return true;
    case kKeyPageDown: input.zoom = ctrl ? 0 : 1; input.roll = ctrl ? -1 : 0; return true;
    case kKeyEnd: input.cancelRotationRequest = true; return true;
    case kKeyHome: input.resetRequest = true; return true;
    case kKeyLeft: input.horizontalMove = ctrl ? 0 : -1; input.yaw = ctrl ? 1 : 0; return true;
    case kKeyUp: input.verticalMove = ctrl ? 0 : 1; input.pitch = ctrl ? 1 : 0; return true;
    case kKeyRight: input.horizontalMove = ctrl ? 0 : 1; input.yaw = ctrl ? -1 : 0; return true;
    case kKeyDown: input.verticalMove = ctrl ? 0 : -1; input.pitch = ctrl ? -1 : 0; return true;
    case kKeyI: input.pitch = 1; return true;
    case kKeyJ: input.yaw = 1; return true;
    case kKeyK: input.pitch = -1; return true;
    case kKeyL: input.yaw = -1; return true;
    case kKeyAdd: case kKeyOemPlus: input.relief = 1; return true;
    case kKeySubtract: case kKeyOemMinus: input.relief = -1; return true;
    case kKeyF1: input.helpShown = true; return true;
    case kKeyF2: gSaverCore.requests.fileShotWanted = true; return true;
    case kKeyOemComma: input.roll = 1; return true;
    case kKeyOemPeriod: input.roll = -1; return true;
    default: return false;
  }
}

bool SaverKeyUp(int32_t key) {
  InputState& input = gSaverCore.input;
  if (key == kKeySnapshot) {
    gSaverCore.requests.copyShotWanted = true;
    return true;
  }
  if (gSaverCore.config.automatic) return false;
  switch (key) {
    case kKeyCtrl: input.ctrlHeld = false; return true;
    // Keypad keys stop the motion of the navigation key at the same place on the pad.
    case kKeyPageUp: case kKeyPageDown: case kKeyPad3: case kKeyPad9: StopCommands(input.zoom, input.roll); return true;
    case kKeyLeft: case kKeyRight: case kKeyPad4: case kKeyPad6: StopCommands(input.horizontalMove, input.yaw); return true;
    case kKeyUp: case kKeyDown: case kKeyPad2: case kKeyPad8: StopCommands(input.verticalMove, input.pitch); return true;
    case kKeyI: case kKeyK: input.pitch = 0; return true;
    case kKeyJ: case kKeyL: input.yaw = 0; return true;
    case kKeyAdd: case kKeySubtract: case kKeyOemPlus: case kKeyOemMinus: input.relief = 0; return true;
    case kKeyOemComma: case kKeyOemPeriod: input.roll = 0; return true;
    default: return false;
  }
}

void SaverPollMouse() {
  InputState& input = gSaverCore.input;
  const InputRequests& parked = gSaverCore.requests;
  int32_t x = 0, y = 0;
  PlatformGetCursor(&x, &y);
  const int32_t dx = x - parked.cursorCentreX, dy = y - parked.cursorCentreY;
  const bool ctrl = input.ctrlHeld;
  auto countUp = [](int32_t& count) {
    if (count < kMaxMotionCount) ++count;
  };
  auto stopHorizontal = [&] {
    if (input.horizontalCount != 0) input.horizontalCount = input.horizontalMove = input.yaw = 0;
  };
  auto stopVertical = [&] {
    if (input.verticalCount != 0) input.verticalCount = input.verticalMove = input.pitch = 0;
  };
  if ((dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy)) {
    if (dx != 0) {
      const int32_t sign = dx > 0 ? 1 : -1;
      input.yaw = ctrl ? -sign : 0;
      input.horizontalMove = ctrl ? 0 : sign;
      countUp(input.horizontalCount);
    } else {
      stopHorizontal();
    }
    if (dy == 0) stopVertical();
  } else {
    // The cursor going down (dy > 0) moves or looks down.
    const int32_t sign = dy > 0 ? -1 : 1;
    input.pitch = ctrl ? sign : 0;
    input.verticalMove = ctrl ? 0 : sign;
    countUp(input.verticalCount);
    if (dx == 0) stopHorizontal();
  }
  if (dx != 0 || dy != 0) PlatformSetCursor(parked.cursorCentreX, parked.cursorCentreY);

  if (input.wheelDelta != 0) {
    const int32_t sign = input.wheelDelta > 0 ? 1 : -1;
    input.zoom = ctrl ? 0 : -sign;
    input.roll = ctrl ? sign : 0;
    input.wheelActive = true;
  } else if (input.wheelActive) {
    input.zoom = input.roll = 0;
    input.wheelActive = false;
  }
  input.wheelDelta = 0;
}

bool SaverButtonDown(SaverButton button) {
  if (!Manual()) return false;
  switch (button) {
    case SaverButton::Left: gSaverCore.input.resetRequest = true; return true;
    case SaverButton::Right: gSaverCore.input.cancelRotationRequest = true; return true;
    default: return false;
  }
}

bool SaverWheel(int32_t delta) {
  if (!Manual()) return false;
  gSaverCore.input.wheelDelta = delta;
  return true;
}

bool SaverMouseMoved() { return Manual() || gSaverCore.graceSeconds <= kMouseGraceSeconds; }

void SaverResize(int32_t width, int32_t height, int32_t clientOriginX, int32_t clientOriginY) {
  SaverCore& core = gSaverCore;
  core.place.width = width;
  core.place.height = height;
  core.place.left = clientOriginX;
  core.place.top = clientOriginY;
  if (!Manual()) return;
  core.requests.cursorCentreX = clientOriginX + width / 2;
  core.requests.cursorCentreY = clientOriginY + height / 2;
  PlatformSetCursor(core.requests.cursorCentreX, core.requests.cursorCentreY);
}

void SaverMove(int32_t clientOriginX, int32_t clientOriginY) {
  SaverCore& core = gSaverCore;
  core.place.left = clientOriginX;
  core.place.top = clientOriginY;
  core.requests.cursorCentreX = clientOriginX + core.place.width / 2;
  core.requests.cursorCentreY = clientOriginY + core.place.height / 2;
}

void SaverSetMonitors(const MonitorList& monitors, bool spansMonitors) {
  gSaverCore.place.monitors = monitors;
  gSaverCore.place.spansMonitors = spansMonitors;
}
