// OpenGL contexts on Windows: the 4-sample pixel format found on a hidden probe window, the
// classic format otherwise, and GLEW loaded on the new context. Shared by the saver window and
// the settings dialog's capability probe.
#pragma once

#include <windows.h>

#include <cstdint>

// Makes a context on dc with the saver's pixel format and makes it current; GLEW is initialised
// on it. Null when no context (or no GLEW) can be had; nothing is left current then.
HGLRC CreateSaverContext(HINSTANCE instance, HDC dc);
// Releases and deletes a context made by CreateSaverContext.
void DeleteSaverContext(HGLRC context);

// What the settings dialog offers depends on: a context made as the saver makes its own, on a
// hidden window of the probe's own (a window keeps the pixel format it is once given, and Wine
// no longer draws the controls of a dialog that has one). False, with nothing read, when no
// context can be had.
bool ProbeSaverGl(HINSTANCE instance, int32_t* maxTextureSize, bool* version14);
