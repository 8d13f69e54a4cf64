// In-memory node grids for the mesh tests and the mesh benchmark: the grid's own map record is
// pointed straight at tables built here (with the loader's own row table), so no data files are
// needed even for the 42-million-node level-32 grid.
#pragma once

#include <cstdint>
#include <vector>

#include "mapdata/map_data.h"

// The grid's tables, which its map points into.
struct MeshGridTables {
  std::vector<uint32_t> counts;
  std::vector<int16_t> areoid, topo;
  std::vector<Colour> mars, terra;
  std::vector<float> cosTable, sinTable;
  std::vector<NodeRow> rows;
};

struct MeshGrid {
  MeshGridTables tables;
  MapData map{};  // what the mesh work and the builders are handed
};

enum class GridHeights : uint8_t {
  Flat,    // areoid and topography 0: a sphere of the reference radius
  Relief,  // areoid within +-2000 m, topography from -8000 to +20000 m
};

constexpr Colour kGridMars{200, 120, 80, 255};   // every node's present-day colour
constexpr Colour kGridTerra{40, 90, 160, 255};   // every node's terraformed colour

// Row counts as real data has them: about 360 * ppd * cos(latitude), one node at each pole.
std::vector<uint32_t> FullCountRows(uint32_t ppd);
// Rows of about widest * cos(latitude) nodes: a coarse globe that builds in microseconds.
std::vector<uint32_t> NarrowRows(uint32_t ppd, uint32_t widest);

// Builds the grid's tables for the given row counts (180 * ppd + 1 of them) and points grid.map at
// them. The grid must outlive every use of its map (the mesh worker keeps a pointer to it).
void InstallMeshGrid(MeshGrid& grid, uint32_t ppd, const std::vector<uint32_t>& counts, GridHeights heights);
// A grid with every layer in use (shadows, clouds, atmosphere, large textures), the initial view of
// a 1024 x 768 window and the mesh worker's memory: what a build of a whole slot needs. Returns the
// closest the initial view lets the camera come (its minimum distance).
float InstallMeshScene(MeshGrid& grid, uint32_t ppd, const std::vector<uint32_t>& counts, GridHeights heights);
// Empties the map's table pointers and frees the grid's tables.
void RemoveMeshGrid(MeshGrid& grid);
