// Caches of the two derived tables (terraformed colours, sea image): where they are kept, the
// stamp that ties one to the data it was derived from, and reading and storing them. A cache is
// the table's bytes followed by a fixed trailer that holds the stamp; a file without a matching
// trailer (an older cache, a cut-off write, data changed since) is never read, only replaced.
#pragma once

#include <cstdint>
#include <string>

struct LoadRequest;

// Length and modification time of one source file, taken from the open file the loader read.
struct SourceStamp {
  int64_t bytes;
  int64_t modified;  // the platform's own unit (platform/platform.h)
};

// What a cache was derived from: the node, topography and colour files, the level and, for the
// sea image, its width (which follows the largest texture size).
struct CacheStamp {
  SourceStamp nodes, topo, mars;
  uint32_t level;
  uint32_t width;  // the sea image's width; 0 for the terraformed colours
  bool complete;   // every modification time was known; without them no cache is trusted or kept
};

// Where one data folder's caches may live: the data folder itself, then a folder of the user's
// own named from a hash of the data folder's absolute path (empty when the user has none).
struct CacheFolders {
  std::string data;
  std::string user;
};

constexpr uint64_t kCacheTrailerBytes = 72;

CacheFolders CacheFoldersFor(const char* dataFolder);

// The table of `bytes` bytes from the first of the folders whose file `name` carries a trailer
// equal to stamp, mapped or read (released with TableRelease); null when neither holds one.
// Loader thread.
void* ReadDerivedCache(const CacheFolders& folders, const char* name, uint64_t bytes, const CacheStamp& stamp);

// Stores the table and its trailer as `name` in the data folder, else in the user's folder (made
// when missing). The file is written under a name of this process and call and then put in place
// in one step, so readers and other writers never see a part of it. False when neither folder
// took it, with the last folder's reason on one line in *error when one is given ("cannot write
// PATH: reason"; none for a stamp that is not complete); that is no failure, the next start
// derives again. Any thread.
bool StoreDerivedCache(const CacheFolders& folders, const char* name, const void* table, uint64_t bytes,
                       const CacheStamp& stamp, std::string* error = nullptr);

// Whether both derived tables of a request have a matching cache right now, judged from the files'
// lengths and times alone: for a progress line that says whether this start derives them. The
// loader decides again for itself. Any thread.
bool DerivedCachesReady(const LoadRequest& request);
