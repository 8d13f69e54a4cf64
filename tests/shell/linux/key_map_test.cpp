// The SDL key table where a wrong entry would cost a Linux user a control: the keypad under both
// Num Lock states (its key-ups must stop the motion its key-downs started), the layout keys that
// share a virtual key, Print Screen with and without Alt, and the keys Windows treats as system keys.
#include "shell/linux/key_map.h"

#include <SDL2/SDL_keycode.h>
#include <gtest/gtest.h>

#include <utility>

#include "shell/saver_core.h"

namespace {

TEST(KeyMap, KeysTheSaverKnows) {
  struct Case {
    SDL_Keycode key;
    uint16_t modifiers;
    int32_t code;
  } cases[] = {
      {SDLK_i, KMOD_NONE, kKeyI},
      {SDLK_l, KMOD_CAPS, kKeyL},
      {SDLK_0, KMOD_NONE, kKey0},
      {SDLK_9, KMOD_NONE, kKey9},
      {SDLK_F1, KMOD_NONE, kKeyF1},
      {SDLK_F2, KMOD_NONE, kKeyF2},
      {SDLK_RCTRL, KMOD_RCTRL, kKeyCtrl},
      {SDLK_LCTRL, KMOD_NONE, kKeyCtrl},
      {SDLK_PRINTSCREEN, KMOD_NONE, kKeySnapshot},
      {SDLK_SYSREQ, KMOD_LALT, kKeySnapshot},
      // Num Lock on: digits; off: the navigation keys printed on the pad.
      {SDLK_KP_8, KMOD_NUM, kKeyPad8},
      {SDLK_KP_8, KMOD_NONE, kKeyUp},
      {SDLK_KP_2, KMOD_NUM, kKeyPad2},
      {SDLK_KP_2, KMOD_NONE, kKeyDown},
      {SDLK_KP_4, KMOD_NONE, kKeyLeft},
      {SDLK_KP_6, KMOD_NONE, kKeyRight},
      {SDLK_KP_9, KMOD_NONE, kKeyPageUp},
      {SDLK_KP_3, KMOD_NONE, kKeyPageDown},
      {SDLK_KP_7, KMOD_NONE, kKeyHome},
      {SDLK_KP_1, KMOD_NONE, kKeyEnd},
      {SDLK_KP_0, KMOD_NUM, kKeyPad0},
      {SDLK_KP_9, KMOD_NUM, kKeyPad9},
      {SDLK_KP_PLUS, KMOD_NONE, kKeyAdd},
      {SDLK_KP_MINUS, KMOD_NUM, kKeySubtract},
      // "=+" on a US layout and "+" on others; "<" and ">" on their own keys or over "," and ".".
      {SDLK_EQUALS, KMOD_NONE, kKeyOemPlus},
      {SDLK_PLUS, KMOD_NONE, kKeyOemPlus},
      {SDLK_MINUS, KMOD_NONE, kKeyOemMinus},
      {SDLK_LESS, KMOD_NONE, kKeyOemComma},
      {SDLK_COMMA, KMOD_NONE, kKeyOemComma},
      {SDLK_PERIOD, KMOD_NONE, kKeyOemPeriod},
      {SDLK_GREATER, KMOD_NONE, kKeyOemPeriod},
  };
  for (const Case& c : cases)
    EXPECT_EQ(VirtualKeyFromSdl(c.key, c.modifiers), c.code) << SDL_GetKeyName(c.key) << " mod " << c.modifiers;
}

TEST(KeyMap, KeysTheSaverDoesNotKnowStayOutsideItsCodes) {
  // A full-screen run ends on these, so they must not land on a code the handlers act on. The
  // keypad's middle key and its point are such keys with Num Lock off.
  const std::pair<SDL_Keycode, uint16_t> keys[] = {
      {SDLK_KP_5, KMOD_NONE},  {SDLK_KP_PERIOD, KMOD_NONE}, {SDLK_KP_PERIOD, KMOD_NUM},  {SDLK_LSHIFT, KMOD_NONE},
      {SDLK_TAB, KMOD_NONE},   {SDLK_RETURN, KMOD_NUM},     {SDLK_CAPSLOCK, KMOD_NONE},  {SDLK_SLASH, KMOD_NONE},
      {SDLK_QUOTE, KMOD_NONE}, {SDLK_LGUI, KMOD_NONE},      {SDLK_AUDIOPLAY, KMOD_NONE},
  };
  const int32_t saverKeys[] = {kKeyCtrl, kKeyEscape,   kKeySpace,    kKeyPageUp,   kKeyPageDown,
                               kKeyEnd,  kKeyHome,     kKeyLeft,     kKeyUp,       kKeyRight,
                               kKeyDown, kKeySnapshot, kKeyAdd,      kKeySubtract, kKeyF1,
                               kKeyF2,   kKeyOemPlus,  kKeyOemComma, kKeyOemMinus, kKeyOemPeriod};
  for (const auto& [key, modifiers] : keys) {
    const int32_t code = VirtualKeyFromSdl(key, modifiers);
    EXPECT_FALSE(code >= kKey0 && code <= kKey9) << SDL_GetKeyName(key);
    EXPECT_FALSE(code >= kKeyPad0 && code <= kKeyPad0 + 9) << SDL_GetKeyName(key);
    for (int32_t saverKey : saverKeys) EXPECT_NE(code, saverKey) << SDL_GetKeyName(key);
  }
}

TEST(KeyMap, SystemKeys) {
  EXPECT_TRUE(IsSystemKey(SDLK_LALT, KMOD_NONE));
  EXPECT_TRUE(IsSystemKey(SDLK_a, KMOD_RALT));
  EXPECT_TRUE(IsSystemKey(SDLK_F10, KMOD_NONE));
  EXPECT_FALSE(IsSystemKey(SDLK_F2, KMOD_CTRL | KMOD_SHIFT | KMOD_CAPS));
  EXPECT_FALSE(IsSystemKey(SDLK_PAGEUP, KMOD_LCTRL));
}

}  // namespace
