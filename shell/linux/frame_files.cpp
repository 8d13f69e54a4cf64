// PNG files of rendered frames, written with libpng.
#include "shell/linux/frame_files.h"

#include "shell/screenshot.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

std::string FrameFileName(uint32_t number) {
  char name[32];
  std::snprintf(name, sizeof name, "frame-%05u.png", number);
  return name;
}

bool WriteFramePng(const std::string& path, const uint8_t* bgr, int32_t width, int32_t height, std::string* why) {
  // Tight rows of red, green, blue for libpng from the padded rows of blue, green, red.
  const size_t rowBytes = BmpRowSize(width);
  std::vector<uint8_t> rgb(static_cast<size_t>(width) * 3 * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    const uint8_t* from = bgr + y * rowBytes;
    uint8_t* to = rgb.data() + static_cast<size_t>(y) * width * 3;
    for (int32_t x = 0; x < width; ++x, from += 3, to += 3) {
      to[0] = from[2];
      to[1] = from[1];
      to[2] = from[0];
    }
  }
  return WritePngBottomUp(path, width, height, rgb.data(), why);
}

bool WritePngBottomUp(const std::string& path, int32_t width, int32_t height, const uint8_t* rgb, std::string* why) {
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    *why = std::strerror(errno);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  // libpng reports its errors by longjmp; nothing with a destructor is created past this point.
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    *why = "PNG encoding failed";
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // OpenGL's rows run bottom up; a picture's run top down.
  for (int32_t row = height - 1; row >= 0; --row)
    png_write_row(png, const_cast<png_bytep>(&rgb[static_cast<size_t>(row) * rowBytes]));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) {
    *why = std::strerror(errno);
    return false;
  }
  return true;
}
