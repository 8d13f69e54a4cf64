// Names of the files in a data folder and the paths to them: the one rule of what a level's node
// file is called and joining paths without changing the process's working directory. Used by the
// loader, the level scan (platform/level_scan.h), the derived caches and the settings' paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

constexpr size_t kDataPathSize = 260;  // a data folder path buffer, terminating zero included

// Highest level the program loads. A level-L grid at the usual density holds about 41,000 L^2
// nodes, which past level 322 no longer count in 32 bits; 1024 leaves room for sparse grids and
// keeps ppd^2, 720 ppd + 1 trig entries and 180 ppd + 1 rows far inside 32 bits.
constexpr uint32_t kMaxLevel = 1024;

constexpr char kNodeStem[] = "nodes";  // node files are "nodes" L ".hex"

// folder/name; a folder that already ends in a separator gets none added.
inline std::string JoinPath(const std::string& folder, const char* name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '/' || last == '\\' ? folder + name : folder + "/" + name;
}

// Per-level names: stem, level in decimal, ".hex" (nodes8.hex). out must hold 32 bytes.
inline void LevelFileName(char* out, size_t size, const char* stem, long level) {
  std::snprintf(out, size, "%s%ld%s", stem, level, ".hex");
}

// The level of a name that is exactly "nodes" L ".hex" (L in decimal without leading zeros, 1 to
// kMaxLevel), letter case aside as the Windows file search ignores it; 0 for any other name
// (nodes8.hex.tmp, nodes08.hex, .nodes8.hex.123-0.tmp).
uint32_t NodeFileLevel(const char* name);
