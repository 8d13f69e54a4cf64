// A data folder the saver's user cannot write (installed by an administrator, on a read-only
// share): the load runs as a user without that right and must still succeed, leaving its caches
// in that user's cache folder.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/mapdata/load_fixture.h"

namespace {

constexpr uid_t kNobody = 65534;

TEST_F(LoadFixture, ReadOnlyDataFolderLeavesCachesInTheUserFolder) {
  // Forked where it stands, so the child loads from this test's folders, not from its own.
  GTEST_FLAG_SET(death_test_style, "fast");
  WriteSet();
  const bool root = geteuid() == 0;
  // The administrator can write anywhere, so the load runs as nobody; anyone else just loses the
  // right to write the folder.
  ASSERT_EQ(chmod(folder.str().c_str(), root ? 0755 : 0555), 0);
  ASSERT_EQ(chmod(userFolder.str().c_str(), 0777), 0);
  EXPECT_EXIT(
      {
        if (root && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) std::_Exit(3);
        std::_Exit(LoadMapData(TestLoadRequest(), map) && map.terra && map.seaImage ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
  chmod(folder.str().c_str(), 0755);

  EXPECT_FALSE(std::filesystem::exists(Path("terra8.hex")));
  EXPECT_FALSE(std::filesystem::exists(Path("sea8.hex")));
  const std::string terra = UserCache("terra8.hex"), sea = UserCache("sea8.hex");
  ASSERT_NE(terra, "");
  ASSERT_NE(sea, "");
  EXPECT_EQ(std::filesystem::file_size(terra), 4 * set.topo.size() + kCacheTrailerBytes);
  EXPECT_EQ(std::filesystem::file_size(sea), uint64_t{4} * 2048 * 1024 + kCacheTrailerBytes);
  // Under the user's own folder: $XDG_CACHE_HOME/redsphere/<the data folder's key>/.
  EXPECT_EQ(std::filesystem::path(terra).parent_path().parent_path(), userFolder / "redsphere");
}

}  // namespace
