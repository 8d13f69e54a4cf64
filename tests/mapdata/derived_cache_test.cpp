// The derived caches' store against itself: savers deriving one level at once, and a saver
// reading the cache while others replace it.
#include "mapdata/derived_cache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "mapdata/table_memory.h"
#include "tests/support/temp_folder.h"

namespace {

// A table read back is one writer's whole: every byte that writer's value.
bool Whole(const uint8_t* table, size_t bytes) {
  const uint8_t first = table[0];
  if (first != 0x11 && first != 0x22) return false;
  for (size_t k = 0; k < bytes; ++k)
    if (table[k] != first) return false;
  return true;
}

// Two writers store different tables under one name at the same moment while a reader keeps
// reading it. Both stores must come through, the reader must only ever see one table whole
// (a cache rewritten in place would show it a mixture, or pull the pages from under its
// mapping), the cache left behind must be whole, and no temporary file may be left over.
TEST(DerivedCache, WritersAtOnceNeverShowAPartOfACache) {
  TempFolder data, user;
  const CacheFolders folders{data.str(), (user / "cache").string()};
  const CacheStamp stamp{{5764, 11}, {5000, 12}, {10000, 13}, 8, 0, true};
  // Writes of some milliseconds, longer than the threads take to get going, so they overlap.
  constexpr size_t kBytes = size_t{16} << 20;
  const std::vector<uint8_t> tables[2] = {std::vector<uint8_t>(kBytes, 0x11), std::vector<uint8_t>(kBytes, 0x22)};

  for (int round = 0; round < 4; ++round) {
    std::atomic<int> ready{0}, writing{2};
    bool stored[2] = {false, false};
    int reads = 0, partReads = 0;
    std::thread threads[3];
    for (int w = 0; w < 2; ++w) {
      threads[w] = std::thread([&, w] {
        ready.fetch_add(1);
        while (ready.load() < 3) {
        }
        stored[w] = StoreDerivedCache(folders, "terra8.hex", tables[w].data(), kBytes, stamp);
        writing.fetch_sub(1);
      });
    }
    threads[2] = std::thread([&] {
      ready.fetch_add(1);
      while (ready.load() < 3) {
      }
      while (writing.load() > 0) {
        if (void* table = ReadDerivedCache(folders, "terra8.hex", kBytes, stamp)) {
          ++reads;
          partReads += !Whole(static_cast<const uint8_t*>(table), kBytes);
          TableRelease(table);
        }
      }
    });
    for (std::thread& thread : threads) thread.join();
    EXPECT_TRUE(stored[0] && stored[1]) << "round " << round;
    EXPECT_EQ(partReads, 0) << "of " << reads << " reads in round " << round;

    void* table = ReadDerivedCache(folders, "terra8.hex", kBytes, stamp);
    ASSERT_NE(table, nullptr) << "round " << round;
    EXPECT_TRUE(Whole(static_cast<const uint8_t*>(table), kBytes)) << "round " << round;
    TableRelease(table);
  }
  for (const auto& entry : std::filesystem::recursive_directory_iterator(data.path))
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
}

}  // namespace
