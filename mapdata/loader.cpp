// Reads one level of map data into gMapData on the loader thread: node grid, heights, colours,
// the two derived caches (terraformed colours, sea image), clouds, sun and stars. Every failure
// ends the process with status 1; only the two caches are repaired (deleted and rebuilt).
#include <cstdlib>
#include <cstring>

#include "mapdata/map_data.h"
#include "settings/saver_settings.h"
#include "shell/platform.h"

MapData gMapData{};

namespace {

constexpr int32_t kLargeTextureSize = 2048;  // clouds need textures at least this wide

void* AllocOrFail(size_t bytes) {
  void* memory = std::malloc(bytes > 0 ? bytes : 1);
  if (!memory) FailLoad();
  return memory;
}

template <typename T>
T* AllocArray(uint64_t count) {
  return static_cast<T*>(AllocOrFail(static_cast<size_t>(count) * sizeof(T)));
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

void ReadOrFail(FILE* file, void* data, uint64_t bytes) {
  if (bytes > 0 && std::fread(data, 1, static_cast<size_t>(bytes), file) != bytes) FailLoad();
}

// Opens name, requires exactly `bytes` bytes and reads them all into data.
void ReadExact(const char* name, void* data, uint64_t bytes) {
  FILE* file = OpenOrFail(name);
  if (static_cast<uint64_t>(LengthOrFail(file)) != bytes) FailLoad();
  ReadOrFail(file, data, bytes);
  std::fclose(file);
}

// A derived cache: read when its length is right, else delete it, derive and write it anew.
// The new file is written under a temporary name and renamed into place, so a run cut short by a
// crash or power loss never leaves a cache of the right length with wrong content.
void ReadOrDeriveCache(const char* name, void* data, uint64_t bytes, void (*derive)()) {
  if (FILE* file = std::fopen(name, "rb")) {
    if (static_cast<uint64_t>(LengthOrFail(file)) == bytes) {
      ReadOrFail(file, data, bytes);
      std::fclose(file);
      return;
    }
    std::fclose(file);
    std::remove(name);
  }
  derive();
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
  map.areoid = AllocArray<int16_t>(nodes);
  LevelFileName(name, sizeof name, "areoid", level);
  ReadExact(name, map.areoid, 2 * nodes);
  map.topo = AllocArray<int16_t>(nodes);
  LevelFileName(name, sizeof name, "topo", level);
  ReadExact(name, map.topo, 2 * nodes);
  map.mars = AllocArray<Colour>(nodes);
  LevelFileName(name, sizeof name, "mars", level);
  ReadExact(name, map.mars, 4 * nodes);
  map.terra = AllocArray<Colour>(nodes);
}

void LoadClouds(uint32_t level) {
  MapData& map = gMapData;
  const CloudChoice choice = ChooseCloudImage(level, map.maxTextureSize);
  map.cloudWidth = choice.width;
  map.cloudHeight = choice.width / 2;
  const uint64_t bytes = uint64_t{4} * map.cloudWidth * map.cloudHeight;
  map.cloudImage = AllocArray<Colour>(uint64_t{map.cloudWidth} * map.cloudHeight);
  char name[32];
  SharedFileName(name, sizeof name, choice.stem);
  ReadExact(name, map.cloudImage, bytes);
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
  ReadOrFail(bright, bytes, static_cast<uint64_t>(brightBytes));
  ReadOrFail(dim, bytes + uint64_t{map.brightCount} * 12, static_cast<uint64_t>(dimBytes));
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
  BuildRowTable(map.areoid, map.topo, map.mars, map.terra);

  char name[32];
  LevelFileName(name, sizeof name, "terra", level);
  ReadOrDeriveCache(name, map.terra, uint64_t{4} * map.nodeCount, DeriveTerraColours);

  map.seaWidth = ChooseSeaWidth(level, map.maxTextureSize);
  map.seaHeight = map.seaWidth / 2;
  map.seaImage = AllocArray<Colour>(uint64_t{map.seaWidth} * map.seaHeight);
  LevelFileName(name, sizeof name, "sea", level);
  ReadOrDeriveCache(name, map.seaImage, uint64_t{4} * map.seaWidth * map.seaHeight, DeriveSeaImage);

  if (settings.Clouds && map.maxTextureSize >= kLargeTextureSize) LoadClouds(level);

  map.sunImage = AllocArray<Colour>(uint64_t{kSunImageSize} * kSunImageSize);
  ReadExact("sun.hex", map.sunImage, kSunFileLength);

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
  for (void* array : arrays) std::free(array);
  map.stars = nullptr;
  map.sunImage = map.seaImage = map.cloudImage = nullptr;
  map.cosTable = map.sinTable = nullptr;
  map.rows = nullptr;
  map.terra = map.mars = nullptr;
  map.areoid = map.topo = nullptr;
  map.nodeCount = map.starCount = map.brightCount = map.dimCount = 0;
  map.loaded.store(false, std::memory_order_relaxed);
}
