// Atomic replacement of data files: the old file stays whole until the new one is complete, and a
// failed or abandoned write leaves no temporary file behind.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tools/mkdata/atomic_file.h"

namespace {

const std::string kOld = "old bytes of the right length";
const std::string kNew = "new bytes, written in two steps";

std::string Contents(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(AtomicFile, OldFileStaysWholeUntilTheNewOneIsCommitted) {
  TempFolder folder;
  const std::string path = (folder / "topo8.hex").string();
  for (bool commit : {false, true}) {
    SCOPED_TRACE(commit ? "committed" : "abandoned");
    ASSERT_TRUE(WriteFileBytes(path, kOld.data(), kOld.size()));
    PendingFile file;
    std::string error;
    ASSERT_TRUE(BeginFile(path, file, error)) << error;
    ASSERT_TRUE(AppendFile(file, kNew.data(), 10, error)) << error;
    ASSERT_TRUE(AppendFile(file, kNew.data() + 10, kNew.size() - 10, error)) << error;
    EXPECT_EQ(Contents(path), kOld);  // nothing visible under the final name while writing
    ASSERT_TRUE(FinishFile(file, error)) << error;
    EXPECT_EQ(Contents(path), kOld);
    if (commit) {
      ASSERT_TRUE(CommitFile(file, error)) << error;
      EXPECT_EQ(Contents(path), kNew);
    } else {
      DiscardFile(file);
      EXPECT_EQ(Contents(path), kOld);
    }
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
  }
}

TEST(AtomicFile, FailuresNameThePathAndLeaveNothingBehind) {
  TempFolder folder;
  std::string error;
  // A folder under a regular file cannot hold files (whatever the permissions, root included).
  const std::string blocker = (folder / "plain-file").string();
  ASSERT_TRUE(WriteFileBytes(blocker, "x", 1));
  EXPECT_FALSE(WriteWholeFile(blocker + "/sun.hex", kNew.data(), kNew.size(), error));
  EXPECT_NE(error.find(blocker + "/sun.hex"), std::string::npos) << error;

  // A final name taken by a folder with files in it cannot be replaced.
  const std::string taken = (folder / "stars.hex").string();
  std::filesystem::create_directory(taken);
  ASSERT_TRUE(WriteFileBytes(taken + "/inside", "x", 1));
  EXPECT_FALSE(WriteWholeFile(taken, kNew.data(), kNew.size(), error));
  EXPECT_NE(error.find("cannot replace " + taken), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(taken + ".tmp"));
  EXPECT_TRUE(std::filesystem::is_directory(taken));
}

}  // namespace
