// Allocated and mapped map tables, and the short list that tells them apart on release.
#include "mapdata/table_memory.h"

#include <cstdint>
#include <cstdlib>

#include "platform/fault_points.h"
#include "platform/platform.h"

namespace {

struct Mapping {
  const void* view;
  uint64_t bytes;
};

// A level maps at most seven files (areoid, topo, mars, terra, sea, clouds, sun); past the list's
// end tables are simply read instead. Written by the loader thread, then by the window thread.
constexpr int kMaxMappings = 16;
Mapping gMappings[kMaxMappings];

}  // namespace

void* TableAlloc(uint64_t bytes) {
  // A size_t narrower than the request (a 32-bit build) must not wrap into a small allocation.
  const bool fits = static_cast<uint64_t>(static_cast<size_t>(bytes)) == bytes;
  if (FaultPointFails(FaultCall::Allocate)) return nullptr;
  return fits ? std::malloc(bytes > 0 ? static_cast<size_t>(bytes) : 1) : nullptr;
}

void* TableFromFile(FILE* file, uint64_t bytes, const char* name, TableMiss* miss) {
  *miss = TableMiss::None;
  Mapping* unused = nullptr;
  for (Mapping& slot : gMappings) {
    if (!slot.view) {
      unused = &slot;
      break;
    }
  }
  if (unused && bytes > 0) {
    if (const void* view = PlatformMapFile(file, bytes, name)) {
      *unused = Mapping{view, bytes};
      return const_cast<void*>(view);  // read-only pages: the tables are never written once loaded
    }
  }
  void* memory = TableAlloc(bytes);
  if (!memory) {
    *miss = TableMiss::NoMemory;
    return nullptr;
  }
  if (bytes > 0 && PlatformReadFile(file, memory, static_cast<size_t>(bytes)) != bytes) {
    std::free(memory);
    *miss = TableMiss::ShortRead;
    return nullptr;
  }
  return memory;
}

void TableRelease(void* table) {
  if (!table) return;
  for (Mapping& slot : gMappings) {
    if (slot.view == table) {
      PlatformUnmapFile(slot.view, slot.bytes);
      slot = Mapping{nullptr, 0};
      return;
    }
  }
  std::free(table);
}
