// The page's events as the saver core takes them. Keys: the browser's key codes are Windows'
// virtual-key codes for every key the saver knows. Mouse: a drag moves the virtual pointer that
// manual control parks (a page cannot move the real one), a click without a drag is the button,
// the wheel is the wheel. Touch: one finger drags, two pinch (a notch of the wheel per 40 pixels).
// Input the core does not take does nothing: a page is not ended by input as a screensaver is.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cmath>
#include <cstdlib>

#include "shell/saver_core.h"
#include "shell/web/web_input.h"
#include "shell/web/web_window.h"

namespace {

constexpr char kCanvas[] = "#globe";
constexpr int32_t kWheelNotch = 120;   // Windows' units, which the core takes
constexpr double kPinchNotch = 40.0;   // pixels two fingers move apart for one notch
constexpr int32_t kClickDistance = 4;  // a press that moves less is a click

// NOTE: the key event Emscripten hands over lacks the modifier state; the page's script keeps it.
EM_JS(int, PageCapsLock, (), { return Module.redspherePage && Module.redspherePage.capsLock ? 1 : 0; });

// True keeps the browser's own use of a key the saver took (F1's help, the arrows' scrolling).
EM_BOOL OnKey(int type, const EmscriptenKeyboardEvent* event, void*) {
  gWebWindow.capsLock = PageCapsLock();
  const int32_t key = static_cast<int32_t>(event->keyCode);
  if (type == EMSCRIPTEN_EVENT_KEYDOWN) return SaverKeyDown(key);
  return SaverKeyUp(key);
}

// The pointer moved by (dx, dy) device pixels while dragging.
void Drag(int32_t dx, int32_t dy) {
  WebWindow& w = gWebWindow;
  w.cursorX += dx;
  w.cursorY += dy;
  w.dragDistance += std::abs(dx) + std::abs(dy);
  SaverMouseMoved();
}

double Ratio() { return emscripten_get_device_pixel_ratio(); }

EM_BOOL OnMouse(int type, const EmscriptenMouseEvent* event, void*) {
  WebWindow& w = gWebWindow;
  switch (type) {
    case EMSCRIPTEN_EVENT_MOUSEDOWN:
      if (event->button == 2) return SaverButtonDown(SaverButton::Right);
      if (event->button != 0) return false;
      w.buttonDown = true;
      w.dragDistance = 0;
      return true;
    case EMSCRIPTEN_EVENT_MOUSEUP:
      if (event->button != 0 || !w.buttonDown) return false;
      w.buttonDown = false;
      return w.dragDistance < kClickDistance ? SaverButtonDown(SaverButton::Left) : true;
    default:  // a move
      if (!w.buttonDown) return false;
      Drag(static_cast<int32_t>(std::lround(event->movementX * Ratio())),
           static_cast<int32_t>(std::lround(event->movementY * Ratio())));
      return true;
  }
}

EM_BOOL OnWheel(int, const EmscriptenWheelEvent* event, void*) {
  if (event->deltaY == 0.0) return false;
  // The wheel turned towards the user scrolls down the page: a negative turn in Windows' units.
  return SaverWheel(event->deltaY > 0.0 ? -kWheelNotch : kWheelNotch);
}

double PinchDistance(const EmscriptenTouchEvent* event) {
  const EmscriptenTouchPoint& a = event->touches[0];
  const EmscriptenTouchPoint& b = event->touches[1];
  return std::hypot(static_cast<double>(a.clientX - b.clientX), static_cast<double>(a.clientY - b.clientY));
}

// Two fingers apart or together: wheel notches, towards or away from the globe.
void Pinch(const EmscriptenTouchEvent* event) {
  WebWindow& w = gWebWindow;
  const double distance = PinchDistance(event);
  if (w.pinchDistance > 0.0) {
    const double change = distance - w.pinchDistance;
    if (std::fabs(change) >= kPinchNotch) {
      SaverWheel(change > 0.0 ? kWheelNotch : -kWheelNotch);
      w.pinchDistance = distance;
    }
    return;
  }
  w.pinchDistance = distance;
}

EM_BOOL OnTouch(int type, const EmscriptenTouchEvent* event, void*) {
  WebWindow& w = gWebWindow;
  if (type == EMSCRIPTEN_EVENT_TOUCHEND || type == EMSCRIPTEN_EVENT_TOUCHCANCEL || event->numTouches == 0) {
    w.buttonDown = false;
    w.pinchDistance = 0.0;
    return true;
  }
  if (event->numTouches >= 2) {
    w.buttonDown = false;
    Pinch(event);
    return true;
  }
  const EmscriptenTouchPoint& t = event->touches[0];
  if (type == EMSCRIPTEN_EVENT_TOUCHSTART || !w.buttonDown) {
    w.buttonDown = true;
    w.pinchDistance = 0.0;
  } else {
    Drag(static_cast<int32_t>(std::lround((t.clientX - w.touchX) * Ratio())),
         static_cast<int32_t>(std::lround((t.clientY - w.touchY) * Ratio())));
  }
  w.touchX = t.clientX;
  w.touchY = t.clientY;
  return true;
}

// Shown again after being hidden: the pause is neither flown through nor counted as a slow frame.
EM_BOOL OnVisibility(int, const EmscriptenVisibilityChangeEvent* event, void*) {
  if (!event->hidden) SaverResume();
  return false;
}

}  // namespace

void ListenToPage() {
  const char* window = EMSCRIPTEN_EVENT_TARGET_WINDOW;
  emscripten_set_keydown_callback(window, nullptr, true, OnKey);
  emscripten_set_keyup_callback(window, nullptr, true, OnKey);
  emscripten_set_mousedown_callback(kCanvas, nullptr, true, OnMouse);
  emscripten_set_mouseup_callback(window, nullptr, true, OnMouse);
  emscripten_set_mousemove_callback(window, nullptr, true, OnMouse);
  emscripten_set_wheel_callback(kCanvas, nullptr, true, OnWheel);
  emscripten_set_touchstart_callback(kCanvas, nullptr, true, OnTouch);
  emscripten_set_touchmove_callback(kCanvas, nullptr, true, OnTouch);
  emscripten_set_touchend_callback(kCanvas, nullptr, true, OnTouch);
  emscripten_set_touchcancel_callback(kCanvas, nullptr, true, OnTouch);
  emscripten_set_visibilitychange_callback(nullptr, true, OnVisibility);
}
