// A hidden SDL2 window with an OpenGL context on the test's own Xvfb server (Mesa llvmpipe), for
// tests that render with the real implementation and read back pixels and state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Creates the window and context (once per process), initialises GLEW and reads the
// capabilities. False, with the reason in *why, when no display or context can be had.
bool GlHarnessStart(int width, int height, std::string* why);
// Presents the back buffer (some tests look at what a person would see).
void GlHarnessSwap();
// Reads the back buffer's RGBA pixels, bottom row first.
std::vector<uint8_t> GlReadPixels(int x, int y, int width, int height);
// Writes RGBA pixels (bottom row first) as a PNG file; false on error.
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height);
