// Real relief from the MOLA Mission Experiment Gridded Data Records: a global simple-cylindrical
// grid of 16-bit samples (the topography above the areoid, or the areoid as a radius) in a PDS
// ".img" file described by its ".lbl" label. Used instead of the synthesized relief when given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MolaGrid {
  uint32_t lines = 0, samples = 0;  // rows from the north, columns eastward
  double ppd = 0.0;                 // samples per degree
  double westLonDeg = 0.0;          // east longitude of the western edge of column 0
  double offset = 0.0, scale = 1.0; // metres = offset + scale * sample
  bool radius = false;              // the samples are radii (the areoid grids): heights subtract the reference radius
  std::vector<int16_t> values;      // lines x samples, byte order already swapped where needed
};

// Reads a grid from its ".img" (the label beside it, same name with ".lbl") or from its ".lbl"
// (the image named by the label's ^IMAGE). Only whole-planet grids are accepted. False with a
// one-line message on a missing or malformed label, a short image or a partial grid.
bool ReadMolaGrid(const std::string& path, MolaGrid& grid, std::string& error);

// Bilinear height in metres at a latitude and east longitude: above the areoid for topography
// grids, above the 3,396,000 m reference sphere for radius grids.
double SampleMolaGrid(const MolaGrid& grid, double latDeg, double lonDeg);
