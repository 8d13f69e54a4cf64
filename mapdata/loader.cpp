// Reads one level of map data, on the loader thread, into the map record it is handed: node grid,
// heights, colours, the two derived tables (terraformed colours, sea image), clouds, sun and stars.
// The derived tables come from caches that match the data, or are derived and stored as caches
// where that can be done. Every other failure reports one line naming the file or the step and
// gives up the load, closing what it opened; the loader thread then ends the process with status 1.
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mapdata/derived_cache.h"
#include "mapdata/map_data.h"
#include "mapdata/table_memory.h"
#include "platform/data_paths.h"
#include "platform/failure_report.h"
#include "platform/platform.h"

namespace {

// Reports one failure line; false, for `return Failed(...)` in the steps below.
[[gnu::format(printf, 1, 2)]] bool Failed(const char* format, ...) {
  va_list args;
  va_start(args, format);
  ReportFailureV(format, args);
  va_end(args);
  return false;
}

// An allocated table of count elements into *out; false (with the line) when there is no memory.
template <typename T>
bool AllocArray(uint64_t count, const char* what, T** out) {
  *out = static_cast<T*>(TableAlloc(count * sizeof(T)));
  return *out || Failed("no memory for %s (%s bytes)", what, Grouped(count * sizeof(T)).text);
}

// A data file the loader has open, with what its messages need.
struct DataFile {
  FILE* file;
  const char* name;    // as in the data folder: "nodes8.hex"
  const char* folder;  // the request's data folder
  int64_t length;
};

bool Open(const LoadRequest& request, const char* name, DataFile* data) {
  const std::string path = JoinPath(request.folder, name);
  // NOTE: Linux opens a folder for reading as if it were a file; its length would mislead.
  if (PlatformPathKind(path.c_str()) == PathKind::Folder)
    return Failed("%s in %s: it is a folder", name, request.folder);
  FILE* file = PlatformOpenFile(path.c_str(), "rb");
  if (!file) return Failed("%s in %s: cannot open it (%s)", name, request.folder, std::strerror(errno));
  const int64_t length = PlatformFileLength(file);
  if (length < 0) {
    const int error = errno;
    std::fclose(file);
    return Failed("%s in %s: cannot measure it (%s)", name, request.folder, std::strerror(error));
  }
  *data = DataFile{file, name, request.folder, length};
  return true;
}

// Why a read of an open file came up short, for a message.
const char* ReadFailure(FILE* file) { return std::ferror(file) ? std::strerror(errno) : "it ended early"; }

// Closes the file and reports that its length is not the one expected.
bool WrongLength(const DataFile& data, uint64_t expected, const char* because) {
  std::fclose(data.file);
  return Failed("%s in %s: %s bytes, expected %s (%s)", data.name, data.folder, Grouped(data.length).text,
                Grouped(expected).text, because);
}

SourceStamp StampOf(const DataFile& data, bool* complete) {
  SourceStamp stamp{data.length, 0};
  if (!PlatformFileModified(data.file, &stamp.modified)) *complete = false;
  return stamp;
}

// A whole data file of exactly `bytes` bytes, as a table in *out; `because` says where that length
// comes from, for the message when it is not.
template <typename T>
bool ReadExact(const LoadRequest& request, const char* name, uint64_t bytes, const char* because, T** out,
               SourceStamp* stamp = nullptr, bool* complete = nullptr) {
  DataFile data;
  if (!Open(request, name, &data)) return false;
  if (static_cast<uint64_t>(data.length) != bytes) return WrongLength(data, bytes, because);
  if (stamp) *stamp = StampOf(data, complete);
  TableMiss miss;
  char what[kDataPathSize + 64];
  std::snprintf(what, sizeof what, "%s in %s", name, request.folder);
  *out = static_cast<T*>(TableFromFile(data.file, bytes, what, &miss));
  const char* reason = miss == TableMiss::ShortRead ? ReadFailure(data.file) : "";
  std::fclose(data.file);
  if (miss == TableMiss::NoMemory) return Failed("no memory for %s (%s bytes)", name, Grouped(bytes).text);
  if (miss == TableMiss::ShortRead) return Failed("%s in %s: reading it failed (%s)", name, request.folder, reason);
  return true;
}

// Node file: exactly the 180 * L + 1 row counts of its level, the south-pole row one node, every
// other row 1 .. 360 * L nodes, because the mesh builders size their row buffers and index their
// trig tables by these counts.
bool LoadNodeRows(const LoadRequest& request, MapData& map, SourceStamp* stamp, bool* complete) {
  const uint32_t level = request.level;
  if (level < 1 || level > kMaxLevel)
    return Failed("level %u in %s: the program loads levels 1 to %u", level, request.folder, kMaxLevel);
  char name[32];
  LevelFileName(name, sizeof name, "nodes", level);
  DataFile data;
  if (!Open(request, name, &data)) return false;
  const uint32_t rows = RowCountForLevel(level);
  char because[96];
  std::snprintf(because, sizeof because, "4 bytes for each of the %s rows of level %u", Grouped(rows).text, level);
  if (static_cast<uint64_t>(data.length) != uint64_t{4} * rows) return WrongLength(data, uint64_t{4} * rows, because);
  *stamp = StampOf(data, complete);

  map.lastRow = rows - 1;
  map.rowSpacing = 180.0f / static_cast<float>(map.lastRow);
  map.ppd = level;
  map.lonSamples = 360 * map.ppd;
  const uint32_t tableSize = 720 * map.ppd + 1;
  if (!AllocArray(tableSize, "the cosine table", &map.cosTable) ||
      !AllocArray(tableSize, "the sine table", &map.sinTable) || !AllocArray(rows, "the row table", &map.rows)) {
    std::fclose(data.file);
    return false;
  }
  std::memset(map.rows, 0, sizeof(NodeRow) * rows);

  uint64_t total = 0;
  for (uint32_t i = 0; i < rows; ++i) {
    uint8_t bytes[4];
    if (PlatformReadFile(data.file, bytes, 4) != 4) {
      const char* reason = ReadFailure(data.file);
      std::fclose(data.file);
      return Failed("%s in %s: reading row %u failed (%s)", name, request.folder, i, reason);
    }
    const uint32_t count = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    if ((i == 0 && count != 1) || count == 0 || count > MaxRowCount(level)) {
      std::fclose(data.file);
      if (i == 0 && count != 1)
        return Failed("%s in %s: the south-pole row holds %u nodes, expected 1", name, request.folder, count);
      return Failed("%s in %s: row %u holds %s nodes, expected 1 to %s", name, request.folder, i,
                    Grouped(count).text, Grouped(MaxRowCount(level)).text);
    }
    map.rows[i].count = count;
    total += count;
  }
  std::fclose(data.file);
  if (total > UINT32_MAX)
    return Failed("%s in %s: %s nodes in all, more than the %s the program can count", name, request.folder,
                  Grouped(total).text, Grouped(UINT32_MAX).text);
  map.nodeCount = static_cast<uint32_t>(total);
  return true;
}

bool LoadNodeArrays(const LoadRequest& request, MapData& map, CacheStamp* stamp) {
  const uint64_t nodes = map.nodeCount;
  char name[32], nodesName[32], because[128];
  LevelFileName(nodesName, sizeof nodesName, "nodes", request.level);
  std::snprintf(because, sizeof because, "2 bytes for each of the %s nodes of %s", Grouped(nodes).text, nodesName);
  LevelFileName(name, sizeof name, "areoid", request.level);
  if (!ReadExact(request, name, 2 * nodes, because, &map.areoid)) return false;
  LevelFileName(name, sizeof name, "topo", request.level);
  if (!ReadExact(request, name, 2 * nodes, because, &map.topo, &stamp->topo, &stamp->complete)) return false;
  std::snprintf(because, sizeof because, "4 bytes for each of the %s nodes of %s", Grouped(nodes).text, nodesName);
  LevelFileName(name, sizeof name, "mars", request.level);
  return ReadExact(request, name, 4 * nodes, because, &map.mars, &stamp->mars, &stamp->complete);
}

// A derived table stored as its cache. One that cannot be stored costs only the next start's
// derivation: the run goes on, and says so once.
void StoreCache(const CacheFolders& folders, const char* name, const void* table, uint64_t bytes,
                const CacheStamp& stamp) {
  std::string error;
  if (!StoreDerivedCache(folders, name, table, bytes, stamp, &error) && !error.empty())
    ReportFailure("%s (the run goes on; the cache is derived again at the next start)", error.c_str());
}

// The terraformed colours from a matching cache, or derived and stored. The row table points
// into terra, so it is built here, once terra has its place.
bool LoadTerraColours(const LoadRequest& request, MapData& map, const CacheFolders& folders,
                      const CacheStamp& stamp) {
  char name[32];
  LevelFileName(name, sizeof name, "terra", request.level);
  const uint64_t bytes = uint64_t{4} * map.nodeCount;
  map.terra = static_cast<Colour*>(ReadDerivedCache(folders, name, bytes, stamp));
  const bool derive = map.terra == nullptr;
  if (derive && !AllocArray(map.nodeCount, "the terraformed colours", &map.terra)) return false;
  BuildRowTable(map);
  if (!derive) return true;
  DeriveTerraColours(map);
  StoreCache(folders, name, map.terra, bytes, stamp);
  return true;
}

bool LoadSeaImage(const LoadRequest& request, MapData& map, const CacheFolders& folders, CacheStamp stamp) {
  map.seaWidth = ChooseSeaWidth(request.level, request.maxTextureSize);
  map.seaHeight = map.seaWidth / 2;
  stamp.width = map.seaWidth;
  char name[32];
  LevelFileName(name, sizeof name, "sea", request.level);
  const uint64_t bytes = uint64_t{4} * map.seaWidth * map.seaHeight;
  map.seaImage = static_cast<Colour*>(ReadDerivedCache(folders, name, bytes, stamp));
  if (map.seaImage) return true;
  if (!AllocArray(uint64_t{map.seaWidth} * map.seaHeight, "the sea image", &map.seaImage)) return false;
  DeriveSeaImage(map);
  StoreCache(folders, name, map.seaImage, bytes, stamp);
  return true;
}

bool LoadClouds(const LoadRequest& request, MapData& map) {
  const CloudChoice choice = ChooseCloudImage(request.level, request.maxTextureSize);
  map.cloudWidth = choice.width;
  map.cloudHeight = choice.width / 2;
  char name[32], because[96];
  SharedFileName(name, sizeof name, choice.stem);
  std::snprintf(because, sizeof because, "a %s x %s image of 4-byte colours", Grouped(map.cloudWidth).text,
                Grouped(map.cloudHeight).text);
  return ReadExact(request, name, uint64_t{4} * map.cloudWidth * map.cloudHeight, because, &map.cloudImage);
}

bool LoadStars(const LoadRequest& request, MapData& map) {
  DataFile bright, dim;
  if (!Open(request, "starsbr.hex", &bright)) return false;
  if (!Open(request, "starsdim.hex", &dim)) {
    std::fclose(bright.file);
    return false;
  }
  auto closeBoth = [&] {
    std::fclose(bright.file);
    std::fclose(dim.file);
  };
  // Records past UINT32_MAX cannot be counted; no star catalogue comes near that.
  for (const DataFile* data : {&bright, &dim}) {
    if (data->length / 12 > UINT32_MAX / 2) {
      closeBoth();
      return Failed("%s in %s: %s bytes, more stars than the program can count", data->name, data->folder,
                    Grouped(data->length).text);
    }
  }
  // The whole files are read; the bytes of a last partial record lie past starCount and are unused.
  uint8_t* bytes = nullptr;
  if (!AllocArray(static_cast<uint64_t>(bright.length) + static_cast<uint64_t>(dim.length), "the stars", &bytes)) {
    closeBoth();
    return false;
  }
  // Owned by the map from here, so a failed read below leaves nothing that FreeMapData misses.
  map.stars = reinterpret_cast<StarRecord*>(bytes);
  const uint32_t brightCount = static_cast<uint32_t>(bright.length / 12);
  const size_t dimOffset = size_t{brightCount} * 12;
  const char* reason = nullptr;
  const char* failed = nullptr;
  if (PlatformReadFile(bright.file, bytes, static_cast<size_t>(bright.length)) != static_cast<size_t>(bright.length)) {
    failed = "starsbr.hex";
    reason = ReadFailure(bright.file);
  } else if (PlatformReadFile(dim.file, bytes + dimOffset, static_cast<size_t>(dim.length)) !=
             static_cast<size_t>(dim.length)) {
    failed = "starsdim.hex";
    reason = ReadFailure(dim.file);
  }
  closeBoth();
  if (failed) return Failed("%s in %s: reading it failed (%s)", failed, request.folder, reason);
  map.brightCount = brightCount;
  map.dimCount = static_cast<uint32_t>(dim.length / 12);
  map.starCount = map.brightCount + map.dimCount;
  return true;
}

}  // namespace

LoadRequest LoadRequestFor(const RunConfig& config) {
  LoadRequest request{};
  static_assert(sizeof request.folder == sizeof config.dataPath);
  std::memcpy(request.folder, config.dataPath, sizeof request.folder);
  request.folder[sizeof request.folder - 1] = '\0';
  request.level = config.level;
  request.maxTextureSize = config.maxTextureSize;
  request.clouds = config.clouds;
  return request;
}

bool LoadMapData(const LoadRequest& request, MapData& map) {
  const PathKind folderKind = PlatformPathKind(request.folder);
  if (folderKind == PathKind::Missing) return Failed("data folder %s: it does not exist", request.folder);
  if (folderKind != PathKind::Folder) return Failed("data folder %s: it is not a folder", request.folder);

  CacheStamp stamp{};
  stamp.level = request.level;
  stamp.complete = true;
  if (!LoadNodeRows(request, map, &stamp.nodes, &stamp.complete) || !LoadNodeArrays(request, map, &stamp))
    return false;

  const CacheFolders folders = CacheFoldersFor(request.folder);
  if (!LoadTerraColours(request, map, folders, stamp) || !LoadSeaImage(request, map, folders, stamp)) return false;

  if (!LoadCloudLayer(request, map)) return false;

  char because[64];
  std::snprintf(because, sizeof because, "a %u x %u image of 4-byte colours", kSunImageSize, kSunImageSize);
  if (!ReadExact(request, "sun.hex", kSunFileLength, because, &map.sunImage)) return false;

  return LoadStars(request, map);
}

bool LoadCloudLayer(const LoadRequest& request, MapData& map) {
  return !request.clouds || request.maxTextureSize < kCloudTextureSize || LoadClouds(request, map);
}

int LoaderThreadMain(const LoadRequest& request, MapData& map) {
  // The saver has nothing to show without its map data: it closes, and the line says why.
  if (!LoadMapData(request, map)) std::_Exit(1);
  map.loaded.store(true, std::memory_order_release);
  return 0;
}

void FreeMapData(MapData& map) {
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
