// The level a run loads from the levels a folder lists, and the settings dialog's line about the
// folder.
#include "mapdata/level_choice.h"

#include <cstdio>
#include <string>

#include "mapdata/map_formats.h"
#include "platform/data_paths.h"
#include "platform/platform.h"

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
