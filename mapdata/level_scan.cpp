// Level scan over the node files of the data folder.
#include "mapdata/level_scan.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mapdata/data_paths.h"
#include "mapdata/map_formats.h"
#include "settings/saver_settings.h"
#include "shell/platform.h"

namespace {

constexpr char kNodeStem[] = "nodes";
constexpr char kExtension[] = ".hex";

struct ScanState {
  const char* folder;
  int32_t* list;
  int32_t capacity;
  int32_t count;
};

bool SameLetters(const char* a, const char* b, size_t length) {
  for (size_t i = 0; i < length; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The level of a name that is exactly "nodes" L ".hex", letter case aside (the Windows scan
// ignores it; on Linux the file that must then open is the lower-case name); 0 for any other name.
uint32_t NodeFileLevel(const char* name) {
  const size_t stem = sizeof kNodeStem - 1, extension = sizeof kExtension - 1;
  if (!SameLetters(name, kNodeStem, stem)) return 0;
  const char* digits = name + stem;
  if (*digits < '1' || *digits > '9') return 0;  // no level 0, no leading zeros
  uint32_t level = 0;
  const char* c = digits;
  for (; *c >= '0' && *c <= '9'; ++c) {
    level = level * 10 + static_cast<uint32_t>(*c - '0');
    if (level > kMaxLevel) return 0;
  }
  const std::string rest = c;
  if (rest.size() != extension || !SameLetters(c, kExtension, extension)) return 0;
  return level;
}

// A node file that exists by its own name and opens: names with a level in them are not enough.
bool NodeFileOpens(const char* folder, uint32_t level) {
  char name[32];
  LevelFileName(name, sizeof name, kNodeStem, level);
  const std::string path = JoinPath(folder, name);
  if (PlatformPathKind(path.c_str()) != PathKind::File) return false;
  FILE* file = std::fopen(path.c_str(), "rb");
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

int32_t ScanLevels(int32_t* list, int32_t capacity) { return ScanLevelsIn(gSaverSettings.DataPath, list, capacity); }

uint32_t ChooseLevel(uint32_t maxPPD, const int32_t* list, int32_t count) {
  uint32_t best = kFallbackLevel;
  uint32_t bestDistance = UINT32_MAX;
  // The list is ascending, so of two levels equally near the lower one is met first and kept.
  for (int32_t i = 0; i < count; ++i) {
    if (list[i] <= 0) continue;
    const uint32_t level = static_cast<uint32_t>(list[i]);
    const uint32_t distance = level > maxPPD ? level - maxPPD : maxPPD - level;
    if (distance < bestDistance) {
      best = level;
      bestDistance = distance;
    }
  }
  return best;
}

void DescribeDataFolder(const char* folder, const int32_t* list, int32_t count, char* out, size_t size) {
  if (count > 0) {
    std::string levels;
    for (int32_t i = 0; i < count; ++i) levels += (i ? ", " : "") + std::to_string(list[i]);
    std::snprintf(out, size, "Map data in %s: level%s %s", folder, count > 1 ? "s" : "", levels.c_str());
    return;
  }
  const PathKind kind = PlatformPathKind(folder);
  const char* why = kind == PathKind::Missing  ? "the folder does not exist"
                    : kind != PathKind::Folder ? "it is not a folder"
                    : !PlatformScanDirectory(folder, kNodeStem, [](const char*, void*) { return false; }, nullptr)
                        ? "the folder cannot be read"
                        : "it holds no node file such as nodes8.hex";
  std::snprintf(out, size, "No map data in %s: %s", folder, why);
}
