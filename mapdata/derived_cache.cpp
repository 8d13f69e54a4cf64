// Reading and storing the derived tables' caches, with the trailer that stamps each one.
#include "mapdata/derived_cache.h"

#include <cstdio>
#include <cstring>

#include "mapdata/map_data.h"
#include "mapdata/table_memory.h"
#include "platform/atomic_file.h"
#include "platform/data_paths.h"
#include "platform/platform.h"
#include "settings/saver_settings.h"

namespace {

// Names the trailer's layout and the derivations' version: a change to either makes every older
// cache a mismatch, so it is rebuilt rather than misread.
constexpr char kTrailerMagic[8] = {'R', 'S', 'D', 'E', 'R', 'I', 'V', '1'};

struct Trailer {
  uint8_t bytes[kCacheTrailerBytes];
};

void PutWord(uint8_t* out, uint64_t value, int size) {
  for (int i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

// Magic, table length, level, width, then length and time of nodes, topo and mars: little-endian
// words at fixed places. The times are in the platform's own unit, so a data folder shared by the
// Windows and the Linux build has its caches rebuilt by whichever did not write them.
Trailer MakeTrailer(uint64_t tableBytes, const CacheStamp& stamp) {
  Trailer trailer{};
  uint8_t* at = trailer.bytes;
  std::memcpy(at, kTrailerMagic, sizeof kTrailerMagic);
  PutWord(at + 8, tableBytes, 8);
  PutWord(at + 16, stamp.level, 4);
  PutWord(at + 20, stamp.width, 4);
  const SourceStamp sources[3] = {stamp.nodes, stamp.topo, stamp.mars};
  for (int i = 0; i < 3; ++i) {
    PutWord(at + 24 + 16 * i, static_cast<uint64_t>(sources[i].bytes), 8);
    PutWord(at + 32 + 16 * i, static_cast<uint64_t>(sources[i].modified), 8);
  }
  return trailer;
}

// 64-bit FNV-1a: short, stable across builds, and enough to tell data folders apart.
uint64_t PathHash(const char* path) {
  uint64_t hash = 14695981039346656037ull;
  for (const char* c = path; *c; ++c) {
    hash ^= static_cast<uint8_t>(*c);
    hash *= 1099511628211ull;
  }
  return hash;
}

// The cache file `name` in folder, open at its start, when its length and trailer are what is
// expected; null otherwise.
FILE* OpenMatching(const std::string& folder, const char* name, uint64_t bytes, const Trailer& expected) {
  const std::string path = JoinPath(folder, name);
  if (folder.empty() || PlatformPathKind(path.c_str()) != PathKind::File) return nullptr;
  FILE* file = PlatformOpenFile(path.c_str(), "rb");
  if (!file) return nullptr;
  Trailer found{};
  if (PlatformFileLength(file) == static_cast<int64_t>(bytes + kCacheTrailerBytes) &&
      PlatformSeek(file, static_cast<int64_t>(bytes)) &&
      PlatformReadFile(file, found.bytes, sizeof found.bytes) == sizeof found.bytes &&
      std::memcmp(found.bytes, expected.bytes, sizeof found.bytes) == 0 && PlatformSeek(file, 0))
    return file;
  std::fclose(file);
  return nullptr;
}

void* ReadFrom(const std::string& folder, const char* name, uint64_t bytes, const Trailer& expected) {
  FILE* file = OpenMatching(folder, name, bytes, expected);
  if (!file) return nullptr;
  // A cache that cannot be read for want of memory is no cache: deriving then says what is short.
  TableMiss miss;
  const std::string what = std::string(name) + " in " + folder;
  void* table = TableFromFile(file, bytes, what.c_str(), &miss);
  std::fclose(file);
  return table;
}

bool Matches(const CacheFolders& folders, const char* name, uint64_t bytes, const Trailer& expected) {
  for (const std::string* folder : {&folders.data, &folders.user}) {
    if (FILE* file = OpenMatching(*folder, name, bytes, expected)) {
      std::fclose(file);
      return true;
    }
  }
  return false;
}

// Length and modification time of a data file, as the loader will stamp it.
bool StampFile(const char* folder, const char* name, SourceStamp* stamp) {
  FILE* file = PlatformOpenFile(JoinPath(folder, name).c_str(), "rb");
  if (!file) return false;
  stamp->bytes = PlatformFileLength(file);
  const bool known = stamp->bytes >= 0 && PlatformFileModified(file, &stamp->modified);
  std::fclose(file);
  return known;
}

// Written under a temporary name of this process and call (platform/atomic_file.h): two savers
// (or two threads) deriving at once never write into one file, and the last to finish simply
// replaces the other's equal cache. Not flushed to the disk: a cache cut off by a power failure
// fails its trailer check and is derived again.
bool StoreIn(const std::string& folder, const char* name, const void* table, uint64_t bytes, const Trailer& trailer,
             std::string& error) {
  AtomicFile file;
  return BeginAtomicFile(JoinPath(folder, name), AtomicWrite::Quick, file, error) &&
         AppendAtomicFile(file, table, static_cast<size_t>(bytes), error) &&
         AppendAtomicFile(file, trailer.bytes, sizeof trailer.bytes, error) && FinishAtomicFile(file, error) &&
         CommitAtomicFile(file, error);
}

}  // namespace

CacheFolders CacheFoldersFor(const char* dataFolder) {
  CacheFolders folders;
  folders.data = dataFolder;
  char root[kDataPathSize], absolute[kDataPathSize];
  if (!PlatformUserCacheFolder(root, sizeof root)) return folders;
  // The same folder named two ways (relative, through a link) shares one set of caches.
  const char* key = PlatformAbsolutePath(dataFolder, absolute, sizeof absolute) ? absolute : dataFolder;
  char hash[24];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(PathHash(key)));
  folders.user = JoinPath(root, hash);
  return folders;
}

void* ReadDerivedCache(const CacheFolders& folders, const char* name, uint64_t bytes, const CacheStamp& stamp) {
  if (!stamp.complete) return nullptr;
  const Trailer expected = MakeTrailer(bytes, stamp);
  // A saver killed while it stored this cache left its temporary copy (up to 128 MiB at level 32);
  // a valid cache is never stored again, so its reader sweeps them.
  for (const std::string& folder : {folders.data, folders.user})
    if (!folder.empty()) SweepAtomicLeftovers(JoinPath(folder, name));
  if (void* table = ReadFrom(folders.data, name, bytes, expected)) return table;
  return ReadFrom(folders.user, name, bytes, expected);
}

bool DerivedCachesReady(const LoadRequest& request) {
  char nodes[32], topo[32], mars[32], terra[32], sea[32];
  LevelFileName(nodes, sizeof nodes, "nodes", request.level);
  LevelFileName(topo, sizeof topo, "topo", request.level);
  LevelFileName(mars, sizeof mars, "mars", request.level);
  LevelFileName(terra, sizeof terra, "terra", request.level);
  LevelFileName(sea, sizeof sea, "sea", request.level);
  CacheStamp stamp{};
  stamp.level = request.level;
  stamp.complete = StampFile(request.folder, nodes, &stamp.nodes) && StampFile(request.folder, topo, &stamp.topo) &&
                   StampFile(request.folder, mars, &stamp.mars);
  if (!stamp.complete) return false;
  const CacheFolders folders = CacheFoldersFor(request.folder);
  // One terraformed colour for each present-day colour.
  if (!Matches(folders, terra, static_cast<uint64_t>(stamp.mars.bytes), MakeTrailer(stamp.mars.bytes, stamp)))
    return false;
  stamp.width = ChooseSeaWidth(request.level, request.maxTextureSize);
  const uint64_t seaBytes = uint64_t{4} * stamp.width * (stamp.width / 2);
  return Matches(folders, sea, seaBytes, MakeTrailer(seaBytes, stamp));
}

bool StoreDerivedCache(const CacheFolders& folders, const char* name, const void* table, uint64_t bytes,
                       const CacheStamp& stamp, std::string* error) {
  if (!stamp.complete) return false;
  const Trailer trailer = MakeTrailer(bytes, stamp);
  std::string reason;
  if (StoreIn(folders.data, name, table, bytes, trailer, reason)) return true;
  if (!folders.user.empty() && PlatformMakeFolders(folders.user.c_str()) &&
      StoreIn(folders.user, name, table, bytes, trailer, reason))
    return true;
  if (error) *error = reason;
  return false;
}
