// SDL key events as the Windows virtual-key codes the saver window's key handlers know (SaverKey),
// so the Linux program drives the same handlers as the Windows window procedure.
#pragma once

#include <SDL2/SDL_keyboard.h>

#include <cstdint>

// The virtual-key code of an SDL key. The keypad follows Num Lock as Windows does: digits when it
// is on, the navigation keys printed on the pad when it is off. 0 for keys Windows has no code for.
int32_t VirtualKeyFromSdl(SDL_Keycode key, uint16_t modifiers);

// Keys that Windows delivers as system keys (WM_SYSKEYDOWN): anything with Alt, and F10. They never
// reach the saver's key handler.
bool IsSystemKey(SDL_Keycode key, uint16_t modifiers);
