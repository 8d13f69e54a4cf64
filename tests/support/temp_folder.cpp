#include "tests/support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <system_error>

#include "tests/support/user_folders.h"

namespace {

constexpr char kTempVariable[] = "REDSPHERE_TEST_TEMP";

}  // namespace

TempFolder::TempFolder() {
  static std::atomic<unsigned> serial{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  std::error_code error;
  const char* base = std::getenv(kTempVariable);
  std::filesystem::path parent = base && base[0] ? std::filesystem::path(base) : std::filesystem::path();
  if (parent.empty() || !std::filesystem::is_directory(parent, error)) parent = std::filesystem::temp_directory_path();
  for (;;) {
    path = parent / ("redsphere-test-" + std::to_string(stamp) + "-" + std::to_string(serial++));
    if (std::filesystem::create_directory(path, error)) break;
  }
}

TempFolder::~TempFolder() {
  std::error_code error;
  std::filesystem::remove_all(path, error);
}

ChildTempFolders::ChildTempFolders() { SetEnvironment(kTempVariable, root.str().c_str()); }

ChildTempFolders::~ChildTempFolders() { SetEnvironment(kTempVariable, nullptr); }
