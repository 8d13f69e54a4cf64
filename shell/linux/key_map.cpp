// The SDL key to virtual-key code table of the Linux program. The codes are the layout's
// characters (SDL's key codes, not scan codes), as Windows' virtual keys follow the layout too.
#include "shell/linux/key_map.h"

#include <SDL2/SDL_keycode.h>

#include "shell/saver_core.h"

namespace {

// Windows virtual-key codes that SaverKey leaves out: keys the saver does not use, which still
// have to arrive as a key it does not know (and so end a full-screen run).
constexpr int32_t kVkBack = 8, kVkTab = 9, kVkClear = 12, kVkReturn = 13, kVkShift = 16, kVkMenu = 18, kVkPause = 19,
                  kVkCapital = 20, kVkInsert = 45, kVkDelete = 46, kVkLeftWin = 91, kVkRightWin = 92, kVkApps = 93,
                  kVkMultiply = 106, kVkDecimal = 110, kVkDivide = 111, kVkNumLock = 144, kVkScroll = 145,
                  kVkOemSemicolon = 186, kVkOemSlash = 191, kVkOemTilde = 192, kVkOemOpenBracket = 219,
                  kVkOemBackslash = 220, kVkOemCloseBracket = 221, kVkOemQuote = 222;

struct KeyPair {
  SDL_Keycode key;
  int32_t code;
};

constexpr KeyPair kKeys[] = {
    {SDLK_BACKSPACE, kVkBack},
    {SDLK_TAB, kVkTab},
    {SDLK_RETURN, kVkReturn},
    {SDLK_LSHIFT, kVkShift},
    {SDLK_RSHIFT, kVkShift},
    {SDLK_LCTRL, kKeyCtrl},
    {SDLK_RCTRL, kKeyCtrl},
    {SDLK_LALT, kVkMenu},
    {SDLK_RALT, kVkMenu},
    {SDLK_PAUSE, kVkPause},
    {SDLK_CAPSLOCK, kVkCapital},
    {SDLK_ESCAPE, kKeyEscape},
    {SDLK_SPACE, kKeySpace},
    {SDLK_PAGEUP, kKeyPageUp},
    {SDLK_PAGEDOWN, kKeyPageDown},
    {SDLK_END, kKeyEnd},
    {SDLK_HOME, kKeyHome},
    {SDLK_LEFT, kKeyLeft},
    {SDLK_UP, kKeyUp},
    {SDLK_RIGHT, kKeyRight},
    {SDLK_DOWN, kKeyDown},
    {SDLK_PRINTSCREEN, kKeySnapshot},
    // Alt+Print Screen arrives as SysRq.
    {SDLK_SYSREQ, kKeySnapshot},
    {SDLK_INSERT, kVkInsert},
    {SDLK_DELETE, kVkDelete},
    {SDLK_LGUI, kVkLeftWin},
    {SDLK_RGUI, kVkRightWin},
    {SDLK_APPLICATION, kVkApps},
    {SDLK_KP_MULTIPLY, kVkMultiply},
    {SDLK_KP_PLUS, kKeyAdd},
    {SDLK_KP_MINUS, kKeySubtract},
    {SDLK_KP_DIVIDE, kVkDivide},
    {SDLK_KP_ENTER, kVkReturn},
    {SDLK_NUMLOCKCLEAR, kVkNumLock},
    {SDLK_SCROLLLOCK, kVkScroll},
    {SDLK_SEMICOLON, kVkOemSemicolon},
    // The "=+" key of a US layout and the "+" key of others are both VK_OEM_PLUS; "<" and ">"
    // share their keys with "," and "." on a US layout.
    {SDLK_EQUALS, kKeyOemPlus},
    {SDLK_PLUS, kKeyOemPlus},
    {SDLK_COMMA, kKeyOemComma},
    {SDLK_LESS, kKeyOemComma},
    {SDLK_MINUS, kKeyOemMinus},
    {SDLK_PERIOD, kKeyOemPeriod},
    {SDLK_GREATER, kKeyOemPeriod},
    {SDLK_SLASH, kVkOemSlash},
    {SDLK_BACKQUOTE, kVkOemTilde},
    {SDLK_LEFTBRACKET, kVkOemOpenBracket},
    {SDLK_BACKSLASH, kVkOemBackslash},
    {SDLK_RIGHTBRACKET, kVkOemCloseBracket},
    {SDLK_QUOTE, kVkOemQuote},
};

// The keypad with Num Lock off, from keypad 0 to keypad 9: Insert, End, Down, Page Down, Left,
// the middle key (VK_CLEAR), Right, Home, Up, Page Up.
constexpr int32_t kKeypadNavigation[10] = {kVkInsert, kKeyEnd,   kKeyDown, kKeyPageDown, kKeyLeft,
                                           kVkClear,  kKeyRight, kKeyHome, kKeyUp,       kKeyPageUp};

int32_t KeypadDigit(SDL_Keycode key) {
  if (key == SDLK_KP_0) return 0;
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return 1 + static_cast<int32_t>(key - SDLK_KP_1);
  return -1;
}

}  // namespace

int32_t VirtualKeyFromSdl(SDL_Keycode key, uint16_t modifiers) {
  const bool numLock = (modifiers & KMOD_NUM) != 0;
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<int32_t>(key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return kKey0 + static_cast<int32_t>(key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return kKeyF1 + static_cast<int32_t>(key - SDLK_F1);
  if (const int32_t digit = KeypadDigit(key); digit >= 0) return numLock ? kKeyPad0 + digit : kKeypadNavigation[digit];
  if (key == SDLK_KP_PERIOD) return numLock ? kVkDecimal : kVkDelete;
  for (const KeyPair& pair : kKeys)
    if (pair.key == key) return pair.code;
  return 0;
}

bool IsSystemKey(SDL_Keycode key, uint16_t modifiers) {
  return (modifiers & KMOD_ALT) != 0 || key == SDLK_LALT || key == SDLK_RALT || key == SDLK_F10;
}
