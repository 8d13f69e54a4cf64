// Finding and checking the data sources.
#include "tools/mkdata/data_sources.h"

#include <cstring>
#include <filesystem>

#include "tools/mkdata/sha256.h"
#include "tools/mkdata/tool_platform.h"
#include "tools/mkdata/utf8_path.h"

namespace {

struct SourceSum {
  const char* name;
  const char* sha256;
};

// Made by the build from data/sources/SHA256SUMS.
constexpr SourceSum kSourceSums[] = {
#include "source_sums.inc"
};

bool IsFolder(const std::string& path) {
  std::error_code code;
  return std::filesystem::is_directory(Utf8Path(path), code);
}

}  // namespace

bool FindSourcesFolder(const std::string& named, std::string& folder, std::string& error) {
  if (!named.empty()) {
    std::error_code code;
    const bool exists = std::filesystem::exists(Utf8Path(named), code);
    if (!exists || !IsFolder(named)) {
      error = "cannot read the sources folder " + named + ": " + (exists ? "not a folder" : "no such folder");
      return false;
    }
    folder = named;
    return true;
  }
  std::string candidates[3];
  const std::string program = ProgramFolder();
  if (!program.empty()) {
    candidates[0] = program + "/sources";
    candidates[1] = program + "/../share/redsphere/sources";
  }
#ifdef REDSPHERE_SOURCE_TREE_SOURCES
  candidates[2] = REDSPHERE_SOURCE_TREE_SOURCES;
#endif
  std::string looked;
  for (const std::string& candidate : candidates) {
    if (candidate.empty()) continue;
    if (IsFolder(candidate)) {
      folder = candidate;
      return true;
    }
    looked += (looked.empty() ? "" : ", ") + candidate;
  }
  error = "no data sources found (looked in " + looked +
          "); name their folder with --sources, or build invented data with --synthetic all";
  return false;
}

bool CheckedSourcePath(const std::string& folder, const char* name, std::string& path, std::string& error) {
  path = folder + "/" + name;
  const char* expected = nullptr;
  for (const SourceSum& sum : kSourceSums)
    if (std::strcmp(sum.name, name) == 0) expected = sum.sha256;
  std::string digest;
  if (!FileSha256(path, digest, error)) {
    error = "data source " + path + " cannot be read: " + error;
    return false;
  }
  if (!expected || digest != expected) {
    error = "data source " + path + " is not the file this builder was made for (sha256 " + digest +
            (expected ? ", expected " + std::string(expected) : std::string(", no sum known")) + ")";
    return false;
  }
  return true;
}
