// JPEG decoding with stb_image (compiled here, JPEG only): one decoder with integer arithmetic on
// both platforms, so a colour map gives the same pixels on Windows and Linux.
#include "tools/mkdata/source_image.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_FAILURE_USERMSG
#include <stb_image.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"
#include "tools/mkdata/sphere_geometry.h"

bool ReadJpegImage(const std::string& path, SourceImage& image, std::string& error) {
  FILE* file = PlatformOpenFile(path.c_str(), "rb");
  if (!file) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  // The header first: the size is checked before anything is allocated for the pixels.
  int width = 0, height = 0, components = 0;
  if (!stbi_info_from_file(file, &width, &height, &components)) {
    error = path + " is not a readable JPEG picture: " + stbi_failure_reason();
    std::fclose(file);
    return false;
  }
  if (width < 1 || height < 1 || static_cast<uint32_t>(width) > kMaxImageWidth ||
      static_cast<uint32_t>(height) > kMaxImageHeight) {
    error = path + " is " + std::to_string(width) + " x " + std::to_string(height) + " pixels, more than the " +
            std::to_string(kMaxImageWidth) + " x " + std::to_string(kMaxImageHeight) + " this builder reads";
    std::fclose(file);
    return false;
  }
  // Grey stays grey; colour (YCbCr, RGB, CMYK) becomes RGB.
  const int channels = components == 1 ? 1 : 3;
  stbi_uc* pixels = stbi_load_from_file(file, &width, &height, &components, channels);
  std::fclose(file);
  if (!pixels) {
    error = path + " is not a readable JPEG picture: " + stbi_failure_reason();
    return false;
  }
  image.width = static_cast<uint32_t>(width);
  image.height = static_cast<uint32_t>(height);
  image.channels = static_cast<uint32_t>(channels);
  image.pixels.assign(pixels, pixels + size_t{image.width} * image.height * image.channels);
  stbi_image_free(pixels);
  return true;
}

void EquirectPixel(uint32_t width, uint32_t height, double latDeg, double lonDeg, double& x, double& y) {
  x = WrapLongitude(lonDeg + 180.0) / 360.0 * width - 0.5;
  if (x < 0.0) x += width;
  y = std::clamp((90.0 - latDeg) / 180.0 * height - 0.5, 0.0, height - 1.0);
}

void SampleEquirect(const SourceImage& image, double latDeg, double lonDeg, double* out) {
  double x, y;
  EquirectPixel(image.width, image.height, latDeg, lonDeg, x, y);
  const uint32_t x0 = std::min(static_cast<uint32_t>(x), image.width - 1);
  const uint32_t y0 = static_cast<uint32_t>(y);
  const uint32_t x1 = x0 + 1 == image.width ? 0 : x0 + 1;
  const uint32_t y1 = std::min(y0 + 1, image.height - 1);
  const double fx = x - x0, fy = y - y0;
  const uint32_t c = image.channels;
  const uint8_t* p = image.pixels.data();
  const size_t stride = size_t{image.width} * c;
  for (uint32_t k = 0; k < c; ++k) {
    const double top = Lerp(p[y0 * stride + x0 * c + k], p[y0 * stride + x1 * c + k], fx);
    const double bottom = Lerp(p[y1 * stride + x0 * c + k], p[y1 * stride + x1 * c + k], fx);
    out[k] = Lerp(top, bottom, fy);
  }
}
