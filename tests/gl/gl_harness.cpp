// SDL2 window and context for the GL tests, and PNG output of read-back pixels.
#include "tests/gl/gl_harness.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>

#include "gl/gl_caps.h"
#include "shell/linux/frame_files.h"

namespace {
SDL_Window* gWindow = nullptr;
SDL_GLContext gContext = nullptr;
}  // namespace

bool GlHarnessStart(int width, int height, std::string* why) {
  if (gWindow) {
    SDL_SetWindowSize(gWindow, width, height);
    // NOTE: Mesa's software rasteriser takes a window's new size at a swap; without one a grown
    // window keeps drawing into its old, smaller buffers.
    SDL_GL_SwapWindow(gWindow);
    glViewport(0, 0, width, height);
    return true;
  }
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    *why = std::string("SDL_Init: ") + SDL_GetError();
    return false;
  }
  // A compatibility context: the renderer uses the fixed-function pipeline.
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  gWindow = SDL_CreateWindow("redsphere-test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!gWindow) {
    *why = std::string("SDL_CreateWindow: ") + SDL_GetError();
    return false;
  }
  gContext = SDL_GL_CreateContext(gWindow);
  if (!gContext) {
    *why = std::string("SDL_GL_CreateContext: ") + SDL_GetError();
    return false;
  }
  glewExperimental = GL_TRUE;
  if (glewInit() != GLEW_OK) {
    *why = "glewInit failed";
    return false;
  }
  ReadGlCaps();
  glViewport(0, 0, width, height);
  return true;
}

void GlHarnessSwap() { SDL_GL_SwapWindow(gWindow); }

std::vector<uint8_t> GlReadPixels(int x, int y, int width, int height) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height) {
  // The window's alpha is not part of the picture (the clear colour leaves it 0).
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0, j = 0; j < rgb.size(); i += 4, j += 3) std::copy_n(&rgba[i], 3, &rgb[j]);
  std::string why;
  return WritePngBottomUp(path, width, height, rgb.data(), &why);
}
