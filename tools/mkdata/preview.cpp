// Preview pictures. The relief is hill-shaded (light from the north-west, like the colour map)
// over height tints; heights at or below the -300 m coast that the terraformed look floods are
// tinted as sea, so the picture also shows where the sea rises first.
#include "tools/mkdata/preview.h"

#include <algorithm>
#include <cmath>

#include "tools/mkdata/png_writer.h"
#include "tools/mkdata/sphere_geometry.h"

namespace {

constexpr double kCoastM = -300.0;
constexpr double kShadeExaggeration = 6.0;  // slopes at 10 km pixels are gentle; exaggerate them to see
constexpr double kLightAzimuthDeg = 315.0, kLightElevationDeg = 35.0;

struct TintStop {
  double heightM;
  double r, g, b;
};
// Deep blue to coast blue below the coast; green, ochre, brown and white above it.
constexpr TintStop kTints[] = {
    {-8000, 20, 30, 90},   {kCoastM, 70, 130, 200}, {kCoastM + 1, 90, 150, 80}, {2000, 200, 180, 100},
    {6000, 160, 100, 60},  {12000, 230, 220, 210},  {22000, 255, 255, 255},
};

void Tint(double h, double* rgb) {
  const size_t last = std::size(kTints) - 1;
  if (h <= kTints[0].heightM) h = kTints[0].heightM;
  if (h >= kTints[last].heightM) h = kTints[last].heightM;
  for (size_t k = 0; k < last; ++k)
    if (h <= kTints[k + 1].heightM) {
      const double t = (h - kTints[k].heightM) / (kTints[k + 1].heightM - kTints[k].heightM);
      rgb[0] = Lerp(kTints[k].r, kTints[k + 1].r, t);
      rgb[1] = Lerp(kTints[k].g, kTints[k + 1].g, t);
      rgb[2] = Lerp(kTints[k].b, kTints[k + 1].b, t);
      return;
    }
}

double LineLatitude(uint32_t y) { return 90.0 - (y + 0.5) * 180.0 / kPreviewHeight; }
double ColumnLongitude(uint32_t x) { return (x + 0.5) * 360.0 / kPreviewWidth; }

uint8_t Byte(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

LayerPreview StartLayerPreview(uint32_t ppd) {
  LayerPreview preview;
  preview.ppd = ppd;
  preview.nodeRowOfLine.resize(kPreviewHeight);
  for (uint32_t y = 0; y < kPreviewHeight; ++y)
    preview.nodeRowOfLine[y] = static_cast<uint32_t>(std::lround((LineLatitude(y) + 90.0) * ppd));
  preview.colour.assign(size_t{kPreviewWidth} * kPreviewHeight * 3, 0);
  preview.topo.assign(size_t{kPreviewWidth} * kPreviewHeight, 0.0f);
  return preview;
}

void AddNodeRowToPreview(LayerPreview& preview, uint32_t row, uint32_t count, const int16_t* topo, const Colour* mars) {
  for (uint32_t y = 0; y < kPreviewHeight; ++y) {
    if (preview.nodeRowOfLine[y] != row) continue;
    for (uint32_t x = 0; x < kPreviewWidth; ++x) {
      const uint32_t j = static_cast<uint32_t>(std::lround(ColumnLongitude(x) / 360.0 * count)) % count;
      const size_t pixel = size_t{y} * kPreviewWidth + x;
      preview.colour[pixel * 3 + 0] = mars[j].r;
      preview.colour[pixel * 3 + 1] = mars[j].g;
      preview.colour[pixel * 3 + 2] = mars[j].b;
      preview.topo[pixel] = topo[j];
    }
  }
}

bool WriteLayerPreviews(const LayerPreview& preview, const std::string& folder, std::string& error) {
  const std::string level = std::to_string(preview.ppd);
  if (!WritePngFile(folder + "/colour" + level + ".png", kPreviewWidth, kPreviewHeight, preview.colour.data(), error))
    return false;
  const double pixelKm = 360.0 * kKmPerDegree / kPreviewWidth;
  const double lightEast = std::sin(kLightAzimuthDeg * kDegree) * std::cos(kLightElevationDeg * kDegree);
  const double lightNorth = std::cos(kLightAzimuthDeg * kDegree) * std::cos(kLightElevationDeg * kDegree);
  const double lightUp = std::sin(kLightElevationDeg * kDegree);
  std::vector<uint8_t> shaded(size_t{kPreviewWidth} * kPreviewHeight * 3);
  auto at = [&](int x, int y) {
    y = std::clamp(y, 0, static_cast<int>(kPreviewHeight) - 1);
    x = (x + static_cast<int>(kPreviewWidth)) % static_cast<int>(kPreviewWidth);
    return static_cast<double>(preview.topo[size_t(y) * kPreviewWidth + x]);
  };
  for (uint32_t y = 0; y < kPreviewHeight; ++y) {
    const double eastKm = std::max(pixelKm * std::cos(LineLatitude(y) * kDegree), 0.05 * pixelKm);
    for (uint32_t x = 0; x < kPreviewWidth; ++x) {
      const int xi = static_cast<int>(x), yi = static_cast<int>(y);
      const double slopeEast = kShadeExaggeration * (at(xi + 1, yi) - at(xi - 1, yi)) / (2000.0 * eastKm);
      const double slopeNorth = kShadeExaggeration * (at(xi, yi - 1) - at(xi, yi + 1)) / (2000.0 * pixelKm);
      const double shade = std::max(0.0, (-slopeEast * lightEast - slopeNorth * lightNorth + lightUp) /
                                             std::sqrt(1.0 + slopeEast * slopeEast + slopeNorth * slopeNorth));
      double rgb[3];
      Tint(at(xi, yi), rgb);
      const double light = 0.25 + 0.9 * shade;
      for (int k = 0; k < 3; ++k) shaded[(size_t{y} * kPreviewWidth + x) * 3 + k] = Byte(rgb[k] * light);
    }
  }
  return WritePngFile(folder + "/relief" + level + ".png", kPreviewWidth, kPreviewHeight, shaded.data(), error);
}

bool WriteCloudPreview(const CloudSource& source, uint32_t seed, const std::string& folder, std::string& error) {
  std::vector<Colour> row(kPreviewWidth);
  std::vector<uint8_t> rgb(size_t{kPreviewWidth} * kPreviewHeight * 3);
  for (uint32_t y = 0; y < kPreviewHeight; ++y) {
    // Cloud rows run from the south pole; the picture from the north.
    CloudTexelRow(source, seed, kPreviewWidth, kPreviewHeight - 1 - y, row.data());
    for (uint32_t x = 0; x < kPreviewWidth; ++x) {
      const double a = row[x].a / 255.0;
      const double background[3] = {15, 30, 70};
      for (int k = 0; k < 3; ++k) rgb[(size_t{y} * kPreviewWidth + x) * 3 + k] = Byte(Lerp(background[k], 255.0, a));
    }
  }
  return WritePngFile(folder + "/clouds.png", kPreviewWidth, kPreviewHeight, rgb.data(), error);
}
