// JPEG decoding through libjpeg, with its fatal-error exit turned into an error result.
#include "tools/mkdata/source_image.h"

#include <jpeglib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "tools/mkdata/sphere_geometry.h"

namespace {

// NOTE: libjpeg's default error handler calls exit(). Ours jumps back into ReadJpegImage instead;
// only libjpeg's C frames lie between, so no destructor is skipped.
struct JpegErrorTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void TrapJpegError(j_common_ptr info) {
  JpegErrorTrap* trap = reinterpret_cast<JpegErrorTrap*>(info->err);
  (*info->err->format_message)(info, trap->message);
  std::longjmp(trap->jump, 1);
}

void IgnoreJpegMessage(j_common_ptr) {}

}  // namespace

bool ReadJpegImage(const std::string& path, SourceImage& image, std::string& error) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  jpeg_decompress_struct info;
  JpegErrorTrap trap;
  info.err = jpeg_std_error(&trap.manager);
  trap.manager.error_exit = TrapJpegError;
  trap.manager.output_message = IgnoreJpegMessage;
  if (setjmp(trap.jump)) {
    error = path + " is not a readable JPEG picture: " + trap.message;
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  if (info.jpeg_color_space != JCS_GRAYSCALE) info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  image.width = info.output_width;
  image.height = info.output_height;
  image.channels = static_cast<uint32_t>(info.output_components);
  image.pixels.assign(size_t{image.width} * image.height * image.channels, 0);
  const size_t stride = size_t{image.width} * image.channels;
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.pixels.data() + info.output_scanline * stride;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(file);
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
