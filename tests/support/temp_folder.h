// A fresh folder under the system's temporary folder (or under $REDSPHERE_TEST_TEMP when that is
// set), removed with everything in it at scope end.
#pragma once

#include <filesystem>
#include <string>

struct TempFolder {
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::filesystem::path path;
  // UTF-8, as the program's paths are on every platform.
  std::string str() const {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
  }
  std::filesystem::path operator/(const std::string& name) const { return path / name; }
};

// For a test with death tests: a child process ends without running destructors, so the folders
// it makes would outlive it. While this lives, every TempFolder (the children's too, which inherit
// the environment) is made inside one folder that this removes at scope end.
struct ChildTempFolders {
  ChildTempFolders();
  ~ChildTempFolders();
  TempFolder root;
};
