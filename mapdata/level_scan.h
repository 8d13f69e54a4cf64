// Finds which resolution levels a data folder holds, from its node files, and which of them a run
// loads.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t kLevelListCapacity = 64;  // what every caller passes
constexpr uint32_t kFallbackLevel = 8;       // the level tried when a folder lists none

// Writes up to capacity levels of folder into list, ascending and each once, and returns their
// count. A level is listed when its node file "nodes" L ".hex" (L in decimal without leading zeros,
// 1 to kMaxLevel) is a file that opens; other names that start with "nodes" (nodes8.hex.tmp,
// nodes08.hex, a folder) are passed over. 0 when the folder cannot be listed. Any thread.
int32_t ScanLevelsIn(const char* folder, int32_t* list, int32_t capacity);
// ScanLevelsIn for the data folder of gSaverSettings. Window or dialog thread.
int32_t ScanLevels(int32_t* list, int32_t capacity);

// The level a run loads: maxPPD when the folder lists it, else the listed level nearest to it
// (the lower of two equally near, as it loads faster), else the fallback level when the list is
// empty (the loader then says what is missing).
uint32_t ChooseLevel(uint32_t maxPPD, const int32_t* list, int32_t count);

// One line about a data folder for the settings dialog: the levels found there, or that there are
// none and why ("the folder does not exist", "no node file such as nodes8.hex").
void DescribeDataFolder(const char* folder, const int32_t* list, int32_t count, char* out, size_t size);
