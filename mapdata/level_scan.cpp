// Level scan over the "nodes*" entries of the data folder.
#include "mapdata/level_scan.h"

#include <cstdlib>
#include <cstring>

#include "settings/saver_settings.h"
#include "shell/platform.h"

namespace {

struct ScanState {
  int32_t* list;
  int32_t capacity;
  int32_t count;
};

bool VisitNodeEntry(const char* name, void* user) {
  ScanState& scan = *static_cast<ScanState*>(user);
  // The first digit 1-9 starts the level, so leading zeros are skipped and "nodes0" yields none.
  const char* digits = std::strpbrk(name, "123456789");
  if (!digits) return true;
  if (scan.count >= scan.capacity) return false;
  scan.list[scan.count++] = static_cast<int32_t>(std::atol(digits));
  return true;
}

int CompareLevels(const void* a, const void* b) {
  const int32_t x = *static_cast<const int32_t*>(a), y = *static_cast<const int32_t*>(b);
  return (x > y) - (x < y);
}

}  // namespace

int32_t ScanLevels(int32_t* list, int32_t capacity) {
  char* saved = PlatformGetCwd();
  if (!PlatformChdir(gSaverSettings.DataPath)) {
    std::free(saved);
    return 0;
  }
  ScanState scan{list, capacity, 0};
  PlatformScanDirectory("nodes", VisitNodeEntry, &scan);
  if (scan.count > 1) std::qsort(list, static_cast<size_t>(scan.count), sizeof *list, CompareLevels);
  if (saved) PlatformChdir(saved);
  std::free(saved);
  return scan.count;
}

uint32_t ChooseLevel(uint32_t maxPPD, const int32_t* list, int32_t count) {
  for (int32_t i = 0; i < count; ++i)
    if (list[i] >= 0 && static_cast<uint32_t>(list[i]) == maxPPD) return maxPPD;
  return kFallbackLevel;
}
