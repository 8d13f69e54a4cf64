// Atomic replacement of data files: the old file stays whole until the new one is complete (also
// where the system refuses to rename over an existing file), a failed or abandoned write leaves no
// temporary file behind, and what a killed builder leaves is never taken for data and is cleared
// by the next builder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "mapdata/level_scan.h"
#include "settings/saver_settings.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tools/mkdata/atomic_file.h"
#include "tools/mkdata/tool_platform.h"

namespace {

const std::string kOld = "old bytes of the right length";
const std::string kNew = "new bytes, written in two steps";
// No process has this id: Linux ids stay below 2^22, Windows ids are multiples of 4.
constexpr uint32_t kEndedProcess = 2147483647;

std::string Contents(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// Compared as paths: libstdc++ on Windows does not turn a listed name back into the narrow text
// it was made from.
std::vector<std::filesystem::path> Names(const TempFolder& folder) {
  std::vector<std::filesystem::path> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder.path)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::filesystem::path> Paths(std::initializer_list<std::string> names) {
  return std::vector<std::filesystem::path>(names.begin(), names.end());
}

TEST(AtomicFile, OldFileStaysWholeUntilTheNewOneIsCommitted) {
  // A name with letters beyond ASCII: the file written and the one moved must be the same.
  for (const char* name : {"topo8.hex", "M\xC3\xA4rs h\xC3\xB6hen.hex"})
    for (bool commit : {false, true}) {
      SCOPED_TRACE(std::string(name) + (commit ? " committed" : " abandoned"));
      TempFolder folder;
      // Joined as text: std::filesystem on Windows would re-encode the accented letters.
      const std::string path = folder.str() + "/" + name;
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
      EXPECT_EQ(Names(folder).size(), 1u) << "a temporary file is left";
    }
}

TEST(AtomicFile, FailuresNameThePathAndLeaveNothingBehind) {
  TempFolder folder;
  std::string error;
  // A folder under a regular file cannot hold files (whatever the permissions, root included).
  const std::string blocker = (folder / "plain-file").string();
  ASSERT_TRUE(WriteFileBytes(blocker, "x", 1));
  EXPECT_FALSE(WriteWholeFile(blocker + "/sun.hex", kNew.data(), kNew.size(), error));
  EXPECT_NE(error.find("cannot write " + blocker + "/sun.hex"), std::string::npos) << error;

  // A final name taken by a folder with files in it cannot be replaced.
  const std::string taken = (folder / "stars.hex").string();
  std::filesystem::create_directory(taken);
  ASSERT_TRUE(WriteFileBytes(taken + "/inside", "x", 1));
  EXPECT_FALSE(WriteWholeFile(taken, kNew.data(), kNew.size(), error));
  EXPECT_NE(error.find("cannot replace " + taken + ": "), std::string::npos) << error;
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 0) << error;
  EXPECT_EQ(Names(folder), Paths({"plain-file", "stars.hex"}));
  EXPECT_TRUE(std::filesystem::is_directory(taken));
}

TEST(AtomicFile, KilledBuildersLeftoversAreNoDataAndAreCleared) {
  EXPECT_TRUE(ProcessIsRunning(CurrentProcessId()));
  EXPECT_FALSE(ProcessIsRunning(kEndedProcess));
  EXPECT_FALSE(ProcessIsRunning(0));

  // A level-8 set, and a builder killed while it wrote level 16's node file.
  TempFolder folder;
  const std::string nodes16 = (folder / "nodes16.hex").string(), topo16 = (folder / "topo16.hex").string();
  ASSERT_TRUE(WriteFileBytes((folder / "nodes8.hex").string(), "n", 1));
  for (const std::string& leftover : {TemporaryFileName(nodes16, kEndedProcess), TemporaryFileName(topo16, kEndedProcess)})
    ASSERT_TRUE(WriteFileBytes(leftover, "half", 4));
  // The saver finds only the level that is whole.
  std::snprintf(gSaverSettings.DataPath, kDataPathSize, "%s", folder.str().c_str());
  int32_t levels[kLevelListCapacity];
  ASSERT_EQ(ScanLevelsIn(gSaverSettings.DataPath, levels, kLevelListCapacity), 1);
  EXPECT_EQ(levels[0], 8);

  // The next builder clears the leftover of the file it writes, and only that one.
  std::string error;
  ASSERT_TRUE(WriteWholeFile(nodes16, kNew.data(), kNew.size(), error)) << error;
  const std::string topoLeftover = TemporaryFileName("topo16.hex", kEndedProcess);
  EXPECT_EQ(Names(folder), Paths({topoLeftover, "nodes16.hex", "nodes8.hex"}));
}

}  // namespace
