// The derived caches' store against itself: savers deriving one level at once, and a saver
// reading the cache while others replace it.
#include "mapdata/derived_cache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "mapdata/table_memory.h"
#include "platform/atomic_file.h"
#include "platform/data_paths.h"
#include "platform/platform.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"

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

// A saver killed while storing a cache leaves its temporary copy; a valid cache is never stored
// again, so the next reader must sweep it, in both folders, and leave a live writer's alone.
TEST(DerivedCache, ReadingSweepsWhatKilledWritersLeft) {
  TempFolder data, user;
  const CacheFolders folders{data.str(), (user / "cache").string()};
  const CacheStamp stamp{{5764, 11}, {5000, 12}, {10000, 13}, 8, 0, true};
  const std::vector<uint8_t> table(4096, 0x11);
  ASSERT_TRUE(StoreDerivedCache(folders, "terra8.hex", table.data(), table.size(), stamp));
  constexpr uint32_t kEndedProcess = 2147483647;
  ASSERT_TRUE(std::filesystem::create_directories(folders.user) || std::filesystem::is_directory(folders.user));
  const std::string killed[2] = {JoinPath(folders.data, ".terra8.hex.2147483647-0.tmp"),
                                 JoinPath(folders.user, ".terra8.hex.2147483647-5.tmp")};
  const std::string live = AtomicTempName(JoinPath(folders.data, "terra8.hex"), PlatformProcessId(), 99);
  for (const std::string& path : {killed[0], killed[1], live}) ASSERT_TRUE(WriteFileBytes(path, "x", 1));
  ASSERT_EQ(AtomicTempName(JoinPath(folders.data, "terra8.hex"), kEndedProcess, 0), killed[0]);

  void* read = ReadDerivedCache(folders, "terra8.hex", table.size(), stamp);
  ASSERT_NE(read, nullptr);
  TableRelease(read);
  EXPECT_FALSE(std::filesystem::exists(killed[0]));
  EXPECT_FALSE(std::filesystem::exists(killed[1]));
  EXPECT_TRUE(std::filesystem::exists(live)) << "a live writer's file stays";
}

}  // namespace
