// Source stand-ins for the data builder's tests (the program runner is in linux/ and win32/).
#include "tests/tools/mkdata/mkdata_sources.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tests/support/test_data.h"

bool WriteJpegFile(const std::string& path, uint32_t width, uint32_t height, uint32_t channels,
                   const std::vector<uint8_t>& pixels) {
  return stbi_write_jpg(path.c_str(), static_cast<int>(width), static_cast<int>(height), static_cast<int>(channels),
                        pixels.data(), 95) != 0;
}

namespace {

constexpr uint32_t kMapWidth = 256, kMapHeight = 128;

// Smooth, broad changes only: sharp ones would read as relief in the shading.
void MapPixel(uint32_t x, uint32_t y, uint8_t* p) {
  const double shade = std::sin(x * 3.14159265358979323846 / 128.0) * std::cos(y * 3.14159265358979323846 / 64.0);
  p[0] = static_cast<uint8_t>(170 + 20 * shade);
  p[1] = static_cast<uint8_t>(100 + 10 * shade);
  p[2] = static_cast<uint8_t>(60 + 5 * shade);
}

}  // namespace

void SmallColourMapAt(double latDeg, double lonDeg, double* rgb) {
  // The map's layout: 180 E at the left edge, north at the top.
  const uint32_t x = static_cast<uint32_t>(std::fmod(lonDeg + 180.0, 360.0) / 360.0 * kMapWidth) % kMapWidth;
  const uint32_t y = std::min(kMapHeight - 1, static_cast<uint32_t>((90.0 - latDeg) / 180.0 * kMapHeight));
  uint8_t p[3];
  MapPixel(x, y, p);
  for (int k = 0; k < 3; ++k) rgb[k] = p[k];
}

bool WriteSmallImports(const std::string& folder, MkdataOptions& options) {
  options.colourMap = folder + "/mars.jpg";
  options.cloudMap = folder + "/clouds.jpg";
  options.starList = folder + "/stars.txt";
  std::vector<uint8_t> colour(kMapWidth * kMapHeight * 3);
  for (uint32_t y = 0; y < kMapHeight; ++y)
    for (uint32_t x = 0; x < kMapWidth; ++x) MapPixel(x, y, &colour[(y * kMapWidth + x) * 3]);
  std::vector<uint8_t> clouds(128 * 64);
  for (uint32_t y = 0; y < 64; ++y)
    for (uint32_t x = 0; x < 128; ++x)
      clouds[y * 128 + x] = static_cast<uint8_t>(127.5 + 127.5 * std::sin(x * 0.2) * std::cos(y * 0.3));
  const std::string stars =
      "# Dec RA Mag\n"
      "\n"
      " 52.887  21.178733 -0.50 \"Mars pole\"\n"
      "-16.7161  6.7525  1.20 \"Sirius\"\n"
      " 38.7836 18.6156  3.50 \"Vega\"\n"
      "  0.0000  3.1787  3.51 \"node\"\n"
      "-60.0000 14.0000  5.00\n"
      " 10.0000  1.0000  7.90\n";
  return WriteJpegFile(options.colourMap, kMapWidth, kMapHeight, 3, colour) &&
         WriteJpegFile(options.cloudMap, 128, 64, 1, clouds) &&
         WriteFileBytes(options.starList, stars.data(), stars.size());
}

std::string ReadTextFile(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

std::map<std::string, std::vector<uint8_t>> HexFiles(const std::string& folder) {
  std::map<std::string, std::vector<uint8_t>> files;
  std::error_code code;
  for (const auto& entry : std::filesystem::directory_iterator(folder, code))
    if (entry.path().extension() == ".hex")
      files[entry.path().filename().string()] = ReadFileBytes(entry.path().string());
  return files;
}
