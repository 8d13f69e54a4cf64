// The loaded map data of one level: the node row table, per-node heights and colours, the trig
// tables the mesh builders index, and the sea, cloud, sun and star data for the GL set-up.
#pragma once

#include <atomic>
#include <cstdint>

#include "mapdata/map_formats.h"
#include "settings/run_config.h"
#include "platform/data_paths.h"

// Nodes at or below this height (metres above the areoid) are water in the terraformed look.
constexpr float kCoastHeight = -300.0f;

// One latitude row of the node grid, from the south pole (row 0) northward.
struct NodeRow {
  uint32_t count;        // nodes in the row, as the node file gives it
  double lonStep;        // degrees of longitude between nodes: 360 / count (row 0: 360)
  float cosLat;          // cosine of the row's latitude (row 0: 0)
  float sinLat;          // sine of the row's latitude (row 0: -1)
  const int16_t* topo;   // first node of the row in MapData::topo
  const int16_t* areoid; // first node of the row in MapData::areoid
  const Colour* mars;    // first node of the row in MapData::mars
  const Colour* terra;   // first node of the row in MapData::terra
};

// The map of one run, owned by the saver window and handed to whoever needs it. The loader thread
// writes everything and then raises `loaded` (release). After the window thread has seen `loaded`
// (acquire) the tables are read-only for every thread, except the three images, which the GL
// set-up releases on the window thread after uploading them.
struct MapData {
  uint32_t lastRow;           // N - 1, the north-pole row
  float rowSpacing;           // 180 / (N - 1), degrees of latitude between rows
  uint32_t ppd;               // (N - 1) / 180, samples per degree
  uint32_t lonSamples;        // 360 * ppd
  uint32_t nodeCount;         // T, nodes in all rows
  NodeRow* rows;              // N rows
  int16_t* areoid;            // T areoid heights above the reference sphere, metres
  int16_t* topo;              // T surface heights above the areoid, metres
  Colour* mars;               // T present-day colours
  Colour* terra;              // T terraformed colours (alpha below 255 marks water)
  float* cosTable;            // 720 * ppd + 1 entries: cos of k / (2 * ppd) degrees
  float* sinTable;            // the matching sines
  Colour* seaImage;           // seaWidth x seaHeight; released by the GL set-up
  uint32_t seaWidth, seaHeight;
  Colour* cloudImage;         // cloudWidth x cloudHeight when clouds are loaded, else null
  uint32_t cloudWidth, cloudHeight;
  Colour* sunImage;           // 64 x 64; released by the GL set-up
  StarRecord* stars;          // bright stars, then dim stars
  uint32_t brightCount, dimCount, starCount;
  std::atomic<bool> loaded;   // raised once by the loader thread after its last write
};

// What one load reads, fixed before the loader thread starts: the loader reads no settings and
// leaves the process's working directory alone.
struct LoadRequest {
  char folder[kDataPathSize];  // the data folder
  uint32_t level;              // the level to load (the one the level scan chose)
  int32_t maxTextureSize;      // GL_MAX_TEXTURE_SIZE: the sea width and the cloud image follow it
  bool clouds;                 // a cloud image is loaded (the cloud layer is drawn)
};

// The request of a run: its data folder, level, texture limit and whether clouds are drawn.
LoadRequest LoadRequestFor(const RunConfig& config);

// Thread entry of the loader thread: LoadMapData into `map`, then raises map.loaded; when the load
// fails it ends the process with status 1 (the saver closes, and the failure line says why).
int LoaderThreadMain(const LoadRequest& request, MapData& map);
// Reads every file of the requested level into `map`, which holds no tables yet. The terraformed
// colours and the sea image come from caches that match the data (in the data folder, else in the
// user's cache folder); when there are none they are derived and stored as caches where that can
// be done, which is never a failure. Any other failure reports one line and returns false with
// every file closed; the tables already filled stay in `map` for FreeMapData. Runs on the loader
// thread.
bool LoadMapData(const LoadRequest& request, MapData& map);
// The cloud image alone, by the rules LoadMapData reads it with (nothing when the request has no
// clouds or the texture limit is below the cloud image): for a run that shows the globe before its
// clouds have come (the web page), after LoadMapData without them. False after the failure line.
bool LoadCloudLayer(const LoadRequest& request, MapData& map);
// Fills the trig tables and the row table from the counts already in map.rows; each row points
// into the map's areoid, topo, mars and terra tables.
void BuildRowTable(MapData& map);
// Releases every table and image of `map` and lowers its flag; harmless on tables already
// released or never loaded.
void FreeMapData(MapData& map);

// Terraformed colour of every node (map.terra), from its present-day colour, height and latitude.
void DeriveTerraColours(MapData& map);
// Sea texture (map.seaImage, seaWidth x seaHeight) from the node heights and colours.
void DeriveSeaImage(MapData& map);
