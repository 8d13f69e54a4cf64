// Writes small but valid data folders for the tests (and a full-size level-8 one for the
// benchmark): chosen per-row counts, heights and colours, stars, sun and clouds. Not a product tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mapdata/map_formats.h"

struct TestDataSet {
  uint32_t level;
  std::vector<uint32_t> counts;  // 180 * level + 1 rows
  std::vector<int16_t> areoid;   // one per node, row by row
  std::vector<int16_t> topo;
  std::vector<Colour> mars;
  std::vector<StarRecord> brightStars;
  std::vector<StarRecord> dimStars;
  std::vector<Colour> sun;     // 64 x 64
  std::vector<Colour> clouds;  // clouds8: 2048 x 1024, or empty for no cloud file
};

// A level-`level` set. Small: a dozen nodes per row at the equator, fewer towards the poles, and
// heights from -7000 to +9000 m in a fixed pattern. Full size: about 360 * level * cos(latitude)
// nodes per row, as real data has.
TestDataSet MakeTestDataSet(uint32_t level = 8, bool fullSize = false);
// The same with about `widest` * cos(latitude) nodes per row (at most 360 * level).
TestDataSet MakeTestDataSetWithRows(uint32_t level, double widest);

// Index of node j of row i.
uint64_t NodeIndex(const TestDataSet& set, uint32_t row, uint32_t j);

// Writes every file of the set into folder (which must exist); false on any write error.
bool WriteTestDataSet(const std::string& folder, const TestDataSet& set);

// Writes bytes to a file, replacing it; false on error.
bool WriteFileBytes(const std::string& path, const void* data, size_t size);
// Reads a whole file; empty on error.
std::vector<uint8_t> ReadFileBytes(const std::string& path);
