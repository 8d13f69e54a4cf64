// OpenGL contexts on Windows: the 4-sample pixel format found on a hidden probe window, the
// classic format otherwise, and GLEW loaded on the new context. Shared by the saver window and
// the settings dialog's capability probe.
#pragma once

#include <windows.h>

// Makes a context on dc with the saver's pixel format and makes it current; GLEW is initialised
// on it. Null when no context (or no GLEW) can be had; nothing is left current then.
HGLRC CreateSaverContext(HINSTANCE instance, HDC dc);
// Releases and deletes a context made by CreateSaverContext.
void DeleteSaverContext(HGLRC context);
