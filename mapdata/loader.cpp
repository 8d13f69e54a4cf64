// Reads one level of map data into gMapData on the loader thread: node grid, heights, colours,
// the two derived tables (terraformed colours, sea image), clouds, sun and stars. The derived
// tables come from caches that match the data, or are derived and stored as caches where that can
// be done. Every other failure reports one line naming the file or the step and ends the process
// with status 1.
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mapdata/data_paths.h"
#include "mapdata/derived_cache.h"
#include "mapdata/map_data.h"
#include "mapdata/table_memory.h"
#include "shell/failure_report.h"
#include "shell/platform.h"

MapData gMapData{};

namespace {

constexpr int32_t kLargeTextureSize = 2048;  // clouds need textures at least this wide

template <typename T>
T* AllocArray(uint64_t count, const char* what) {
  return static_cast<T*>(TableAlloc(count * sizeof(T), what));
}

// A data file the loader has open, with what its messages need.
struct DataFile {
  FILE* file;
  const char* name;    // as in the data folder: "nodes8.hex"
  const char* folder;  // the request's data folder
  int64_t length;
};

DataFile OpenOrFail(const LoadRequest& request, const char* name) {
  const std::string path = JoinPath(request.folder, name);
  // NOTE: Linux opens a folder for reading as if it were a file; its length would mislead.
  if (PlatformPathKind(path.c_str()) == PathKind::Folder) FailLoad("%s in %s: it is a folder", name, request.folder);
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) FailLoad("%s in %s: cannot open it (%s)", name, request.folder, std::strerror(errno));
  const int64_t length = PlatformFileLength(file);
  if (length < 0) FailLoad("%s in %s: cannot measure it (%s)", name, request.folder, std::strerror(errno));
  return DataFile{file, name, request.folder, length};
}

// Why a read of an open file came up short, for a message.
const char* ReadFailure(FILE* file) { return std::ferror(file) ? std::strerror(errno) : "it ended early"; }

[[noreturn]] void FailLength(const DataFile& data, uint64_t expected, const char* because) {
  FailLoad("%s in %s: %s bytes, expected %s (%s)", data.name, data.folder, Grouped(data.length).text,
           Grouped(expected).text, because);
}

SourceStamp StampOf(const DataFile& data, bool* complete) {
  SourceStamp stamp{data.length, 0};
  if (!PlatformFileModified(data.file, &stamp.modified)) *complete = false;
  return stamp;
}

// A whole data file of exactly `bytes` bytes, as a table; `because` says where that length
// comes from, for the message when it is not.
template <typename T>
T* ReadExact(const LoadRequest& request, const char* name, uint64_t bytes, const char* because,
             SourceStamp* stamp = nullptr, bool* complete = nullptr) {
  const DataFile data = OpenOrFail(request, name);
  if (static_cast<uint64_t>(data.length) != bytes) FailLength(data, bytes, because);
  if (stamp) *stamp = StampOf(data, complete);
  void* table = TableFromFile(data.file, bytes, name);
  if (!table) FailLoad("%s in %s: reading it failed (%s)", name, request.folder, ReadFailure(data.file));
  std::fclose(data.file);
  return static_cast<T*>(table);
}

// Node file: exactly the 180 * L + 1 row counts of its level, the south-pole row one node, every
// other row 1 .. 360 * L nodes, because the mesh builders size their row buffers and index their
// trig tables by these counts.
void LoadNodeRows(const LoadRequest& request, SourceStamp* stamp, bool* complete) {
  const uint32_t level = request.level;
  if (level < 1 || level > kMaxLevel)
    FailLoad("level %u in %s: the program loads levels 1 to %u", level, request.folder, kMaxLevel);
  char name[32];
  LevelFileName(name, sizeof name, "nodes", level);
  const DataFile data = OpenOrFail(request, name);
  const uint32_t rows = RowCountForLevel(level);
  char because[96];
  std::snprintf(because, sizeof because, "4 bytes for each of the %s rows of level %u", Grouped(rows).text, level);
  if (static_cast<uint64_t>(data.length) != uint64_t{4} * rows) FailLength(data, uint64_t{4} * rows, because);
  *stamp = StampOf(data, complete);

  MapData& map = gMapData;
  map.lastRow = rows - 1;
  map.rowSpacing = 180.0f / static_cast<float>(map.lastRow);
  map.ppd = level;
  map.lonSamples = 360 * map.ppd;
  const uint32_t tableSize = 720 * map.ppd + 1;
  map.cosTable = AllocArray<float>(tableSize, "the cosine table");
  map.sinTable = AllocArray<float>(tableSize, "the sine table");
  map.rows = AllocArray<NodeRow>(rows, "the row table");
  std::memset(map.rows, 0, sizeof(NodeRow) * rows);

  uint64_t total = 0;
  for (uint32_t i = 0; i < rows; ++i) {
    uint8_t bytes[4];
    if (std::fread(bytes, 1, 4, data.file) != 4)
      FailLoad("%s in %s: reading row %u failed (%s)", name, request.folder, i, ReadFailure(data.file));
    const uint32_t count = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    if (i == 0 && count != 1)
      FailLoad("%s in %s: the south-pole row holds %u nodes, expected 1", name, request.folder, count);
    if (count == 0 || count > MaxRowCount(level))
      FailLoad("%s in %s: row %u holds %s nodes, expected 1 to %s", name, request.folder, i, Grouped(count).text,
               Grouped(MaxRowCount(level)).text);
    map.rows[i].count = count;
    total += count;
  }
  std::fclose(data.file);
  if (total > UINT32_MAX)
    FailLoad("%s in %s: %s nodes in all, more than the %s the program can count", name, request.folder,
             Grouped(total).text, Grouped(UINT32_MAX).text);
  map.nodeCount = static_cast<uint32_t>(total);
}

void LoadNodeArrays(const LoadRequest& request, CacheStamp* stamp) {
  MapData& map = gMapData;
  const uint64_t nodes = map.nodeCount;
  char name[32], nodesName[32], because[128];
  LevelFileName(nodesName, sizeof nodesName, "nodes", request.level);
  std::snprintf(because, sizeof because, "2 bytes for each of the %s nodes of %s", Grouped(nodes).text, nodesName);
  LevelFileName(name, sizeof name, "areoid", request.level);
  map.areoid = ReadExact<int16_t>(request, name, 2 * nodes, because);
  LevelFileName(name, sizeof name, "topo", request.level);
  map.topo = ReadExact<int16_t>(request, name, 2 * nodes, because, &stamp->topo, &stamp->complete);
  std::snprintf(because, sizeof because, "4 bytes for each of the %s nodes of %s", Grouped(nodes).text, nodesName);
  LevelFileName(name, sizeof name, "mars", request.level);
  map.mars = ReadExact<Colour>(request, name, 4 * nodes, because, &stamp->mars, &stamp->complete);
}

// The terraformed colours from a matching cache, or derived and stored. The row table points
// into terra, so it is built here, once terra has its place.
void LoadTerraColours(const LoadRequest& request, const CacheFolders& folders, const CacheStamp& stamp) {
  MapData& map = gMapData;
  char name[32];
  LevelFileName(name, sizeof name, "terra", request.level);
  const uint64_t bytes = uint64_t{4} * map.nodeCount;
  map.terra = static_cast<Colour*>(ReadDerivedCache(folders, name, bytes, stamp));
  const bool derive = map.terra == nullptr;
  if (derive) map.terra = AllocArray<Colour>(map.nodeCount, "the terraformed colours");
  BuildRowTable(map.areoid, map.topo, map.mars, map.terra);
  if (!derive) return;
  DeriveTerraColours();
  StoreDerivedCache(folders, name, map.terra, bytes, stamp);
}

void LoadSeaImage(const LoadRequest& request, const CacheFolders& folders, CacheStamp stamp) {
  MapData& map = gMapData;
  map.seaWidth = ChooseSeaWidth(request.level, request.maxTextureSize);
  map.seaHeight = map.seaWidth / 2;
  stamp.width = map.seaWidth;
  char name[32];
  LevelFileName(name, sizeof name, "sea", request.level);
  const uint64_t bytes = uint64_t{4} * map.seaWidth * map.seaHeight;
  map.seaImage = static_cast<Colour*>(ReadDerivedCache(folders, name, bytes, stamp));
  if (map.seaImage) return;
  map.seaImage = AllocArray<Colour>(uint64_t{map.seaWidth} * map.seaHeight, "the sea image");
  DeriveSeaImage();
  StoreDerivedCache(folders, name, map.seaImage, bytes, stamp);
}

void LoadClouds(const LoadRequest& request) {
  MapData& map = gMapData;
  const CloudChoice choice = ChooseCloudImage(request.level, request.maxTextureSize);
  map.cloudWidth = choice.width;
  map.cloudHeight = choice.width / 2;
  char name[32], because[96];
  SharedFileName(name, sizeof name, choice.stem);
  std::snprintf(because, sizeof because, "a %s x %s image of 4-byte colours", Grouped(map.cloudWidth).text,
                Grouped(map.cloudHeight).text);
  map.cloudImage = ReadExact<Colour>(request, name, uint64_t{4} * map.cloudWidth * map.cloudHeight, because);
}

void LoadStars(const LoadRequest& request) {
  MapData& map = gMapData;
  const DataFile bright = OpenOrFail(request, "starsbr.hex");
  const DataFile dim = OpenOrFail(request, "starsdim.hex");
  // Records past UINT32_MAX cannot be counted; no star catalogue comes near that.
  for (const DataFile* data : {&bright, &dim})
    if (data->length / 12 > UINT32_MAX / 2)
      FailLoad("%s in %s: %s bytes, more stars than the program can count", data->name, data->folder,
               Grouped(data->length).text);
  map.brightCount = static_cast<uint32_t>(bright.length / 12);
  map.dimCount = static_cast<uint32_t>(dim.length / 12);
  map.starCount = map.brightCount + map.dimCount;
  // The whole files are read; the bytes of a last partial record lie past starCount and are unused.
  uint8_t* bytes = AllocArray<uint8_t>(static_cast<uint64_t>(bright.length) + static_cast<uint64_t>(dim.length),
                                       "the stars");
  const size_t dimOffset = size_t{map.brightCount} * 12;
  if (std::fread(bytes, 1, static_cast<size_t>(bright.length), bright.file) != static_cast<size_t>(bright.length))
    FailLoad("starsbr.hex in %s: reading it failed (%s)", request.folder, ReadFailure(bright.file));
  if (std::fread(bytes + dimOffset, 1, static_cast<size_t>(dim.length), dim.file) != static_cast<size_t>(dim.length))
    FailLoad("starsdim.hex in %s: reading it failed (%s)", request.folder, ReadFailure(dim.file));
  std::fclose(bright.file);
  std::fclose(dim.file);
  map.stars = reinterpret_cast<StarRecord*>(bytes);
}

}  // namespace

void FailLoad(const char* format, ...) {
  va_list args;
  va_start(args, format);
  ReportFailureV(format, args);
  va_end(args);
  std::_Exit(1);
}

LoadRequest RequestFromSettings() {
  const SaverSettings& settings = gSaverSettings;
  LoadRequest request{};
  static_assert(sizeof request.folder == sizeof settings.DataPath);
  std::memcpy(request.folder, settings.DataPath, sizeof request.folder);
  request.folder[sizeof request.folder - 1] = '\0';
  request.level = settings.MaxPPD;
  request.maxTextureSize = gMapData.maxTextureSize;
  request.clouds = settings.Clouds != 0;
  return request;
}

void LoadMapData(const LoadRequest& request) {
  MapData& map = gMapData;
  const PathKind folderKind = PlatformPathKind(request.folder);
  if (folderKind == PathKind::Missing) FailLoad("data folder %s: it does not exist", request.folder);
  if (folderKind != PathKind::Folder) FailLoad("data folder %s: it is not a folder", request.folder);

  CacheStamp stamp{};
  stamp.level = request.level;
  stamp.complete = true;
  LoadNodeRows(request, &stamp.nodes, &stamp.complete);
  LoadNodeArrays(request, &stamp);

  const CacheFolders folders = CacheFoldersFor(request.folder);
  LoadTerraColours(request, folders, stamp);
  LoadSeaImage(request, folders, stamp);

  if (request.clouds && request.maxTextureSize >= kLargeTextureSize) LoadClouds(request);

  char because[64];
  std::snprintf(because, sizeof because, "a %u x %u image of 4-byte colours", kSunImageSize, kSunImageSize);
  map.sunImage = ReadExact<Colour>(request, "sun.hex", kSunFileLength, because);

  LoadStars(request);
}

void LoadMapData() { LoadMapData(RequestFromSettings()); }

int LoaderThreadMain(const LoadRequest& request) {
  LoadMapData(request);
  gMapData.loaded.store(true, std::memory_order_release);
  return 0;
}

int LoaderThreadMain() { return LoaderThreadMain(RequestFromSettings()); }

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
