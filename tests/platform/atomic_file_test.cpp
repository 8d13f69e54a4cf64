// Files written whole: the old file stays whole until the new one is in place (also where the
// system refuses to rename over an existing file), failures leave no temporary file, and a killed
// writer's leftover is no data and goes with the next write of its name, a live writer's never.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/level_scan.h"
#include "platform/platform.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"

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

// Names are UTF-8 text, which std::filesystem on Windows would read in the ANSI code page.
std::vector<std::filesystem::path> Paths(std::initializer_list<std::string> names) {
  std::vector<std::filesystem::path> paths;
  for (const std::string& name : names) paths.emplace_back(std::u8string(name.begin(), name.end()));
  return paths;
}

// The names other code counts on: the Linux program's test waits at the first cache's name, and
// the loader's scans pass over anything with a leading dot.
TEST(AtomicFile, TemporaryNamesBelongToOneProcessAndCall) {
  struct Case {
    const char* path;
    uint32_t process, serial;
    const char* name;
  } cases[] = {
      {"data/terra8.hex", 1234, 0, "data/.terra8.hex.1234-0.tmp"},
      {"settings.conf", 4294967295u, 4294967295u, ".settings.conf.4294967295-4294967295.tmp"},
  };
  for (const Case& c : cases) EXPECT_EQ(AtomicTempName(c.path, c.process, c.serial), c.name);
}

TEST(AtomicFile, OldFileStaysWholeUntilTheNewOneIsCommitted) {
  // A name with letters beyond ASCII: the file written and the one moved must be the same.
  for (const char* name : {"topo8.hex", "M\xC3\xA4rs h\xC3\xB6hen.hex"})
    for (AtomicWrite mode : {AtomicWrite::Quick, AtomicWrite::Durable})
      for (bool commit : {false, true}) {
        SCOPED_TRACE(std::string(name) + (mode == AtomicWrite::Durable ? " durable" : " quick") +
                     (commit ? " committed" : " abandoned"));
        TempFolder folder;
        // Joined as text: std::filesystem on Windows would re-encode the accented letters.
        const std::string path = folder.str() + "/" + name;
        ASSERT_TRUE(WriteFileBytes(path, kOld.data(), kOld.size()));
        AtomicFile file;
        std::string error;
        ASSERT_TRUE(BeginAtomicFile(path, mode, file, error)) << error;
        ASSERT_TRUE(AppendAtomicFile(file, kNew.data(), 10, error)) << error;
        ASSERT_TRUE(AppendAtomicFile(file, kNew.data() + 10, kNew.size() - 10, error)) << error;
        EXPECT_EQ(Contents(path), kOld);  // nothing visible under the final name while writing
        ASSERT_TRUE(FinishAtomicFile(file, error)) << error;
        EXPECT_EQ(Contents(path), kOld);
        if (commit) {
          ASSERT_TRUE(CommitAtomicFile(file, error)) << error;
          EXPECT_EQ(Contents(path), kNew);
        } else {
          DiscardAtomicFile(file);
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
  EXPECT_FALSE(WriteAtomicFile(blocker + "/sun.hex", AtomicWrite::Durable, kNew.data(), kNew.size(), error));
  EXPECT_NE(error.find("cannot write " + blocker + "/sun.hex"), std::string::npos) << error;

  // A final name taken by a folder with files in it cannot be replaced.
  const std::string taken = (folder / "stars.hex").string();
  std::filesystem::create_directory(taken);
  ASSERT_TRUE(WriteFileBytes(taken + "/inside", "x", 1));
  EXPECT_FALSE(WriteAtomicFile(taken, AtomicWrite::Durable, kNew.data(), kNew.size(), error));
  EXPECT_NE(error.find("cannot replace " + taken + ": "), std::string::npos) << error;
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 0) << error;
  EXPECT_EQ(Names(folder), Paths({"plain-file", "stars.hex"}));
  EXPECT_TRUE(std::filesystem::is_directory(taken));
}

TEST(AtomicFile, ProcessesThatEndedAreToldFromRunningOnes) {
  const struct {
    uint32_t id;
    bool running;
  } cases[] = {{PlatformProcessId(), true}, {kEndedProcess, false}, {0, false}};
  for (const auto& c : cases) EXPECT_EQ(PlatformProcessRunning(c.id), c.running) << c.id;
}

// What writers left beside a name, and whether the next write of that name sweeps it.
struct Leftover {
  std::string name;
  bool swept;
};

std::vector<Leftover> LeftoversOf(const std::string& name) {
  return {
      {AtomicTempName(name, kEndedProcess, 0), true},
      {AtomicTempName(name, kEndedProcess, 4294967295u), true},
      {AtomicTempName(name, PlatformProcessId(), 4000000000u), false},  // another thread's, still writing
      {AtomicTempName("topo16.hex", kEndedProcess, 0), false},          // another name's
      // another name that starts alike, down to a process id and serial of its own
      {AtomicTempName(name + "." + std::to_string(kEndedProcess) + "-3", kEndedProcess, 0), false},
  };
}

TEST(AtomicFile, KilledWritersLeftoversAreNoDataAndAreSwept) {
  // Letters beyond ASCII too: the folder must be listed in the code page its names were made in.
  for (const std::string name : {"nodes16.hex", "M\xC3\xA4rs h\xC3\xB6hen.hex"}) {
    SCOPED_TRACE(name);
    // A level-8 set, and writers killed while they wrote the file.
    TempFolder folder;
    const std::string path = folder.str() + "/" + name;
    ASSERT_TRUE(WriteFileBytes(folder.str() + "/nodes8.hex", "n", 1));
    const std::vector<Leftover> leftovers = LeftoversOf(name);
    for (const Leftover& leftover : leftovers)
      ASSERT_TRUE(WriteFileBytes(folder.str() + "/" + leftover.name, "half", 4));
    // The saver finds only the level that is whole.
    int32_t levels[kLevelListCapacity];
    ASSERT_EQ(ScanLevelsIn(folder.str().c_str(), levels, kLevelListCapacity), 1);
    EXPECT_EQ(levels[0], 8);

    // The next writer of the name sweeps what ended writers left of it, and only that.
    std::string error;
    ASSERT_TRUE(WriteAtomicFile(path, AtomicWrite::Durable, kNew.data(), kNew.size(), error)) << error;
    EXPECT_EQ(Contents(path), kNew);
    size_t kept = 0;
    for (const Leftover& leftover : leftovers) {
      const bool there = PlatformPathKind((folder.str() + "/" + leftover.name).c_str()) == PathKind::File;
      EXPECT_EQ(there, !leftover.swept) << leftover.name;
      kept += there;
    }
    EXPECT_EQ(Names(folder).size(), kept + 2) << "nodes8.hex, the name and what stays, nothing more";
  }
}

}  // namespace
