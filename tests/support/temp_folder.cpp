#include "tests/support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <system_error>

TempFolder::TempFolder() {
  static std::atomic<unsigned> serial{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  std::error_code error;
  for (;;) {
    path = std::filesystem::temp_directory_path() /
           ("redsphere-test-" + std::to_string(stamp) + "-" + std::to_string(serial++));
    if (std::filesystem::create_directory(path, error)) break;
  }
}

TempFolder::~TempFolder() {
  std::error_code error;
  std::filesystem::remove_all(path, error);
}
