// Paths of files in the data folder and in the cache folders, joined without changing the
// process's working directory.
#pragma once

#include <string>

// folder/name; a folder that already ends in a separator gets none added.
inline std::string JoinPath(const std::string& folder, const char* name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}
