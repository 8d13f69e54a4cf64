// A map table's file while the saver has it mapped: Windows refuses to cut a file with a mapped
// view short (ERROR_USER_MAPPED_FILE), so a new data set copied over a running saver's fails with
// a sharing error instead of pulling pages from under its tables, as happens on Linux.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "mapdata/table_memory.h"
#include "platform/platform.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_data.h"

namespace {

TEST(MappedFileWin32, AMappedTableCannotBeCutShortOrCopiedOver) {
  TempFolder folder;
  const std::wstring path = (folder / "topo8.hex").wstring(), newer = (folder / "new.hex").wstring();
  std::vector<uint8_t> bytes(256 * 1024);
  for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<uint8_t>(k * 131 + 7);
  ASSERT_TRUE(WriteFileBytes((folder / "topo8.hex").string(), bytes.data(), bytes.size()));
  ASSERT_TRUE(WriteFileBytes((folder / "new.hex").string(), bytes.data(), 1000));

  FILE* file = PlatformOpenFile((folder / "topo8.hex").string().c_str(), "rb");
  ASSERT_NE(file, nullptr);
  TableMiss miss;
  void* table = TableFromFile(file, bytes.size(), "topo8.hex in the test's folder", &miss);
  std::fclose(file);
  ASSERT_NE(table, nullptr);

  // What a copy over it does: create over the file, or open it and set its end.
  EXPECT_FALSE(CopyFileW(newer.c_str(), path.c_str(), FALSE));
  HANDLE cut = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(cut, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SetEndOfFile(cut));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_USER_MAPPED_FILE));
  CloseHandle(cut);
  EXPECT_EQ(std::memcmp(table, bytes.data(), bytes.size()), 0) << "the table reads as it was mapped";

  // Released, the file is an ordinary one again: the refusal was the mapping's.
  TableRelease(table);
  EXPECT_TRUE(CopyFileW(newer.c_str(), path.c_str(), FALSE));
}

}  // namespace
