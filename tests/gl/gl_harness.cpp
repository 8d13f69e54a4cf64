// SDL2 window and context for the GL tests, and PNG output of read-back pixels.
#include "tests/gl/gl_harness.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <png.h>

#include <algorithm>
#include <cstdio>

#include "gl/gl_caps.h"

namespace {
SDL_Window* gWindow = nullptr;
SDL_GLContext gContext = nullptr;
}  // namespace

bool GlHarnessStart(int width, int height, std::string* why) {
  if (gWindow) {
    SDL_SetWindowSize(gWindow, width, height);
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
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // OpenGL's rows run bottom up; pictures run top down. The window's alpha is not part of the
  // picture (the clear colour leaves it 0), so the file is opaque as the screen is.
  std::vector<uint8_t> row(static_cast<size_t>(width) * 4);
  for (int y = height - 1; y >= 0; --y) {
    std::copy_n(&rgba[static_cast<size_t>(y) * width * 4], row.size(), row.begin());
    for (size_t k = 3; k < row.size(); k += 4) row[k] = 255;
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}
