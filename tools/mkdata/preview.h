// The --preview pictures: the present-day colours and the shaded relief of a level, and the
// cloud layer, as PNG files with north up and longitude 0 at the left edge (east to the right),
// so a landmark at (latitude, longitude east) sits at x = lon / 360 * width, y = (90 - lat) / 180 * height.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mapdata/map_formats.h"
#include "tools/mkdata/cloud_image.h"

constexpr uint32_t kPreviewWidth = 2048, kPreviewHeight = 1024;

// Nearest-node pictures of one level, filled row by row while the level streams past.
struct LayerPreview {
  uint32_t ppd = 0;
  std::vector<uint32_t> nodeRowOfLine;  // the node row each picture line shows
  std::vector<uint8_t> colour;          // RGB
  std::vector<float> topo;              // metres above the areoid
};

LayerPreview StartLayerPreview(uint32_t ppd);
// Copies whatever picture lines show node row `row` (count nodes).
void AddNodeRowToPreview(LayerPreview& preview, uint32_t row, uint32_t count, const int16_t* topo, const Colour* mars);
// Writes colourL.png and reliefL.png (L = the level) into folder.
bool WriteLayerPreviews(const LayerPreview& preview, const std::string& folder, std::string& error);
// Writes clouds.png: the clouds8 image over a dark sea, at the preview size.
bool WriteCloudPreview(const CloudSource& source, uint32_t seed, const std::string& folder, std::string& error);
