// Reads one level of map data into gMapData on the loader thread: node grid, heights, colours,
// the two derived caches (terraformed colours, sea image), clouds, sun and stars. Every failure
// ends the process with status 1; only the two caches are repaired (deleted and rebuilt).
#include <cstdlib>
#include <cstring>

#include "mapdata/map_data.h"
#include "mapdata/table_memory.h"
#include "settings/saver_settings.h"
#include "shell/platform.h"

MapData gMapData{};

namespace {

constexpr int32_t kLargeTextureSize = 2048;  // clouds need textures at least this wide

template <typename T>
T* AllocArray(uint64_t count) {
  return static_cast<T*>(TableAlloc(count * sizeof(T)));
}

FILE* OpenOrFail(const char* name) {
  FILE* file = std::fopen(name, "rb");
  if (!file) FailLoad();
  return file;
}

int64_t LengthOrFail(FILE* file) {
  const int64_t length = PlatformFileLength(file);
  if (length < 0) FailLoad();
  return length;
}

// A whole data file of exactly `bytes` bytes, as a table.
template <typename T>
T* ReadExact(const char* name, uint64_t bytes) {
  FILE* file = OpenOrFail(name);
  if (static_cast<uint64_t>(LengthOrFail(file)) != bytes) FailLoad();
  void* table = TableFromFile(file, bytes);
  std::fclose(file);
  return static_cast<T*>(table);
}

// A derived cache as a table when it exists with the right length. A cache of the wrong length
// (written for another level layout or another texture limit) is deleted, and null returned.
template <typename T>
T* ReadValidCache(const char* name, uint64_t bytes) {
  FILE* file = std::fopen(name, "rb");
  if (!file) return nullptr;
  if (static_cast<uint64_t>(LengthOrFail(file)) != bytes) {
    std::fclose(file);
    std::remove(name);
    return nullptr;
  }
  void* table = TableFromFile(file, bytes);
  std::fclose(file);
  return static_cast<T*>(table);
}

// Writes a freshly derived cache under a temporary name and renames it into place, so a run cut
// short by a crash or power loss never leaves a cache of the right length with wrong content.
void WriteCache(const char* name, const void* data, uint64_t bytes) {
  char temp[64];
  std::snprintf(temp, sizeof temp, "%s.tmp", name);
  FILE* file = std::fopen(temp, "wb");
  if (!file) FailLoad();
  const bool written = std::fwrite(data, 1, static_cast<size_t>(bytes), file) == bytes;
  if (std::fclose(file) != 0 || !written || std::rename(temp, name) != 0) {
    std::remove(temp);
    FailLoad();
  }
}

// Node file: N row counts. Rows must be a whole level (180 * ppd + 1, ppd >= 1), the south-pole
// row must hold one node, and every row 1 .. 360 * ppd nodes, because the mesh builders size
// their row buffers and index their trig tables by these counts.
void LoadNodeRows(uint32_t level) {
  char name[32];
  LevelFileName(name, sizeof name, "nodes", level);
  FILE* file = OpenOrFail(name);
  const int64_t rowCount = LengthOrFail(file) / 4;
  if (rowCount < RowCountForLevel(1) || (rowCount - 1) % 180 != 0 || rowCount > RowCountForLevel(1u << 16))
    FailLoad();
  MapData& map = gMapData;
  const uint32_t rows = static_cast<uint32_t>(rowCount);
  map.lastRow = rows - 1;
  map.rowSpacing = 180.0f / static_cast<float>(map.lastRow);
  map.ppd = map.lastRow / 180;
  map.lonSamples = 360 * map.ppd;

  const uint32_t tableSize = 720 * map.ppd + 1;
  map.cosTable = AllocArray<float>(tableSize);
  map.sinTable = AllocArray<float>(tableSize);
  map.rows = AllocArray<NodeRow>(rows);
  std::memset(map.rows, 0, sizeof(NodeRow) * rows);

  uint64_t total = 0;
  for (uint32_t i = 0; i < rows; ++i) {
    uint8_t bytes[4];
    if (std::fread(bytes, 1, 4, file) != 4) break;  // rows left unread keep count 0 and fail below
    map.rows[i].count = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                        static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    total += map.rows[i].count;
  }
  std::fclose(file);

  if (map.rows[0].count != 1 || total > UINT32_MAX) FailLoad();
  for (uint32_t i = 1; i < rows; ++i)
    if (map.rows[i].count == 0 || map.rows[i].count > MaxRowCount(map.ppd)) FailLoad();
  map.nodeCount = static_cast<uint32_t>(total);
}

void LoadNodeArrays(uint32_t level) {
  MapData& map = gMapData;
  const uint64_t nodes = map.nodeCount;
  char name[32];
  LevelFileName(name, sizeof name, "areoid", level);
  map.areoid = ReadExact<int16_t>(name, 2 * nodes);
  LevelFileName(name, sizeof name, "topo", level);
  map.topo = ReadExact<int16_t>(name, 2 * nodes);
  LevelFileName(name, sizeof name, "mars", level);
  map.mars = ReadExact<Colour>(name, 4 * nodes);
}

void LoadClouds(uint32_t level) {
  MapData& map = gMapData;
  const CloudChoice choice = ChooseCloudImage(level, map.maxTextureSize);
  map.cloudWidth = choice.width;
  map.cloudHeight = choice.width / 2;
  char name[32];
  SharedFileName(name, sizeof name, choice.stem);
  map.cloudImage = ReadExact<Colour>(name, uint64_t{4} * map.cloudWidth * map.cloudHeight);
}

void LoadStars() {
  MapData& map = gMapData;
  FILE* bright = OpenOrFail("starsbr.hex");
  FILE* dim = OpenOrFail("starsdim.hex");
  const int64_t brightBytes = LengthOrFail(bright), dimBytes = LengthOrFail(dim);
  // Records past UINT32_MAX cannot be counted; no star catalogue comes near that.
  if (brightBytes / 12 > UINT32_MAX / 2 || dimBytes / 12 > UINT32_MAX / 2) FailLoad();
  map.brightCount = static_cast<uint32_t>(brightBytes / 12);
  map.dimCount = static_cast<uint32_t>(dimBytes / 12);
  map.starCount = map.brightCount + map.dimCount;
  // The whole files are read; the bytes of a last partial record lie past starCount and are unused.
  uint8_t* bytes = AllocArray<uint8_t>(static_cast<uint64_t>(brightBytes) + static_cast<uint64_t>(dimBytes));
  const size_t dimOffset = size_t{map.brightCount} * 12;
  if (std::fread(bytes, 1, static_cast<size_t>(brightBytes), bright) != static_cast<size_t>(brightBytes) ||
      std::fread(bytes + dimOffset, 1, static_cast<size_t>(dimBytes), dim) != static_cast<size_t>(dimBytes))
    FailLoad();
  std::fclose(bright);
  std::fclose(dim);
  map.stars = reinterpret_cast<StarRecord*>(bytes);
}

}  // namespace

void FailLoad() { std::_Exit(1); }

void LoadMapData() {
  MapData& map = gMapData;
  const SaverSettings& settings = gSaverSettings;
  const uint32_t level = settings.MaxPPD;
  char* saved = PlatformGetCwd();
  if (!PlatformChdir(settings.DataPath)) FailLoad();

  LoadNodeRows(level);
  LoadNodeArrays(level);

  // The terraformed colours are taken from a valid cache before the row table points into them.
  char terraName[32];
  LevelFileName(terraName, sizeof terraName, "terra", level);
  const uint64_t terraBytes = uint64_t{4} * map.nodeCount;
  map.terra = ReadValidCache<Colour>(terraName, terraBytes);
  const bool deriveTerra = map.terra == nullptr;
  if (deriveTerra) map.terra = AllocArray<Colour>(map.nodeCount);
  BuildRowTable(map.areoid, map.topo, map.mars, map.terra);
  if (deriveTerra) {
    DeriveTerraColours();
    WriteCache(terraName, map.terra, terraBytes);
  }

  map.seaWidth = ChooseSeaWidth(level, map.maxTextureSize);
  map.seaHeight = map.seaWidth / 2;
  char seaName[32];
  LevelFileName(seaName, sizeof seaName, "sea", level);
  const uint64_t seaBytes = uint64_t{4} * map.seaWidth * map.seaHeight;
  map.seaImage = ReadValidCache<Colour>(seaName, seaBytes);
  if (!map.seaImage) {
    map.seaImage = AllocArray<Colour>(uint64_t{map.seaWidth} * map.seaHeight);
    DeriveSeaImage();
    WriteCache(seaName, map.seaImage, seaBytes);
  }

  if (settings.Clouds && map.maxTextureSize >= kLargeTextureSize) LoadClouds(level);

  map.sunImage = ReadExact<Colour>("sun.hex", kSunFileLength);

  LoadStars();

  if (saved) PlatformChdir(saved);
  std::free(saved);
}

int LoaderThreadMain() {
  LoadMapData();
  gMapData.loaded.store(true, std::memory_order_release);
  return 0;
}

void FreeMapData() {
  MapData& map = gMapData;
  void* arrays[] = {map.stars,    map.sunImage, map.seaImage, map.cloudImage, map.cosTable, map.sinTable,
                    map.rows,     map.terra,    map.mars,     map.areoid,     map.topo};
  for (void* array : arrays) TableRelease(array);
  map.stars = nullptr;
  map.sunImage = map.seaImage = map.cloudImage = nullptr;
  map.cosTable = map.sinTable = nullptr;
  map.rows = nullptr;
  map.terra = map.mars = nullptr;
  map.areoid = map.topo = nullptr;
  map.nodeCount = map.starCount = map.brightCount = map.dimCount = 0;
  map.loaded.store(false, std::memory_order_relaxed);
}
