// A fresh folder under the system's temporary folder, removed with everything in it at scope end.
#pragma once

#include <filesystem>
#include <string>

struct TempFolder {
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::filesystem::path path;
  std::string str() const { return path.string(); }
  std::filesystem::path operator/(const std::string& name) const { return path / name; }
};
