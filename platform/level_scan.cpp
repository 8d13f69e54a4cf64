// The level scan of a data folder: its entries by the node-file rule, each checked by opening the
// node file under its own name.
#include "platform/level_scan.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/data_paths.h"
#include "platform/platform.h"

namespace {

struct ScanState {
  const char* folder;
  int32_t* list;
  int32_t capacity;
  int32_t count;
};

// A node file that exists by its own name and opens: names with a level in them are not enough.
bool NodeFileOpens(const char* folder, uint32_t level) {
  char name[32];
  LevelFileName(name, sizeof name, kNodeStem, level);
  const std::string path = JoinPath(folder, name);
  if (PlatformPathKind(path.c_str()) != PathKind::File) return false;
  FILE* file = PlatformOpenFile(path.c_str(), "rb");
  if (!file) return false;
  std::fclose(file);
  return true;
}

bool VisitNodeEntry(const char* name, void* user) {
  ScanState& scan = *static_cast<ScanState*>(user);
  const uint32_t level = NodeFileLevel(name);
  if (level == 0 || !NodeFileOpens(scan.folder, level)) return true;
  if (scan.count >= scan.capacity) return false;
  scan.list[scan.count++] = static_cast<int32_t>(level);
  return true;
}

int CompareLevels(const void* a, const void* b) {
  const int32_t x = *static_cast<const int32_t*>(a), y = *static_cast<const int32_t*>(b);
  return (x > y) - (x < y);
}

}  // namespace

int32_t ScanLevelsIn(const char* folder, int32_t* list, int32_t capacity) {
  ScanState scan{folder, list, capacity, 0};
  if (!PlatformScanDirectory(folder, kNodeStem, VisitNodeEntry, &scan)) return 0;
  if (scan.count < 2) return scan.count;
  std::qsort(list, static_cast<size_t>(scan.count), sizeof *list, CompareLevels);
  // Two spellings of one name (nodes8.hex, NODES8.HEX on Linux) name one level.
  int32_t kept = 1;
  for (int32_t i = 1; i < scan.count; ++i)
    if (list[i] != list[kept - 1]) list[kept++] = list[i];
  return kept;
}
