// The Windows failure lines: a saver has no console, so they must reach the user's redsphere.log,
// which starts over rather than grow past 64 KiB.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/failure_report.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"
#include "tests/support/user_folders.h"

namespace {

std::vector<std::string> Lines(const std::filesystem::path& path) {
  const std::vector<uint8_t> bytes = ReadFileBytes(path.string());
  std::vector<std::string> lines;
  std::string line;
  for (uint8_t c : bytes) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += static_cast<char>(c);
    }
  }
  EXPECT_EQ(line, "") << "a last line without its end";
  return lines;
}

TEST(FailureLog, LinesReachTheLogWhichStaysSmall) {
  TempFolder local;
  UseUserFolders(local.str());
  const std::filesystem::path log = local / "Redsphere" / "redsphere.log";
  ReportFailure("nodes8.hex in %s: %s bytes, expected 5,764", "C:\\data", Grouped(5760).text);
  ReportFailure("the shadow framebuffer is incomplete: status 0x%04x", 0x8cd6);
  std::vector<std::string> lines = Lines(log);
  ASSERT_EQ(lines.size(), 2u);
  // "2024-05-01 12:00:00 " and then the line as Linux prints it.
  ASSERT_GT(lines[0].size(), 20u);
  EXPECT_EQ(lines[0][4], '-');
  EXPECT_EQ(lines[0][13], ':');
  EXPECT_EQ(lines[0].substr(20), "redsphere: nodes8.hex in C:\\data: 5,760 bytes, expected 5,764\r");
  EXPECT_EQ(lines[1].substr(20), "redsphere: the shadow framebuffer is incomplete: status 0x8cd6\r");

  // About 70 KiB of lines: the log starts over once and ends with the newest line whole.
  const std::string padding(80, '.');
  for (int i = 0; i < 700; ++i) ReportFailure("line %03d %s", i, padding.c_str());
  EXPECT_LE(std::filesystem::file_size(log), 64u * 1024);
  lines = Lines(log);
  ASSERT_FALSE(lines.empty());
  EXPECT_LT(lines.size(), 700u);
  EXPECT_EQ(lines.back().substr(20, 20), "redsphere: line 699 ");
  EXPECT_EQ(lines.front()[4], '-') << "the log must start over at a line";
}

}  // namespace
