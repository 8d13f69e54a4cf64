// Fuzz target of the data builder's MOLA reader: the fuzzer's bytes are a PDS label (with, after
// its END, an image that the label's ^IMAGE pointer may reach by record or byte), beside an image
// file GRID.IMG of one sample per degree that the label may name instead. A grid is either refused
// with one line, or read whole, and then every sample taken from it lies within its values.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tools/mkdata/mola_grid.h"

namespace {

struct Harness {
  TempFolder root;
  std::string label;
};

Harness& TheHarness() {
  static Harness harness;  // its folder goes when libFuzzer ends the run
  static const bool ready = [] {
    std::vector<uint8_t> image(size_t{180} * 360 * 2);
    for (size_t k = 0; k < image.size(); ++k) image[k] = static_cast<uint8_t>(k * 31 + k / 720);
    harness.label = (harness.root / "grid.lbl").string();
    return WriteFileBytes((harness.root / "GRID.IMG").string(), image.data(), image.size());
  }();
  FuzzCheck(ready, "the harness can write its image");
  return harness;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Harness& harness = TheHarness();
  FuzzCheck(WriteFileBytes(harness.label, data, size), "the harness can write the label");
  const int filesBefore = OpenFileCount();
  MolaGrid grid;
  std::string error;
  const bool read = ReadMolaGrid(harness.label, grid, error);
  FuzzCheck(OpenFileCount() == filesBefore, "the reader closes every file it opened");
  if (!read) {
    FuzzCheck(!error.empty() && error.find('\n') == std::string::npos, "a refused grid says why in one line");
    return 0;
  }
  FuzzCheck(grid.lines >= 2 && grid.samples >= 2 && grid.values.size() == size_t{grid.lines} * grid.samples,
            "a grid holds every sample its label counts");
  FuzzCheck(grid.ppd > 0.0 && grid.scale != 0.0 && std::isfinite(grid.offset), "a grid's projection is usable");

  const auto [low, high] = std::minmax_element(grid.values.begin(), grid.values.end());
  double least = grid.offset + grid.scale * *low, most = grid.offset + grid.scale * *high;
  if (least > most) std::swap(least, most);
  if (grid.radius) {
    least -= kReferenceRadius;
    most -= kReferenceRadius;
  }
  const double slack = 1e-6 * (std::fabs(least) + std::fabs(most) + 1.0);
  for (double lat : {-90.0, -89.999, -45.0, 0.0, 33.3, 89.999, 90.0})
    for (double lon : {-180.0, 0.0, 0.001, 179.5, 359.999, 360.0, 725.0}) {
      const double metres = SampleMolaGrid(grid, lat, lon);
      FuzzCheck(metres >= least - slack && metres <= most + slack, "a sample lies within the grid's values");
    }
  return 0;
}
