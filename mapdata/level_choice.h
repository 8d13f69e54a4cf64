// Which of the levels a data folder holds (ScanLevelsIn, platform/level_scan.h) a run loads, and
// the line that describes a data folder in the settings dialog.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/level_scan.h"  // the lists both functions take

constexpr uint32_t kFallbackLevel = 8;  // the level tried when a folder lists none

// The level a run loads: maxPPD when the folder lists it, else the listed level nearest to it
// (the lower of two equally near, as it loads faster), else the fallback level when the list is
// empty (the loader then says what is missing).
uint32_t ChooseLevel(uint32_t maxPPD, const int32_t* list, int32_t count);

// One line about a data folder for the settings dialog: the levels found there, or that there are
// none and why ("the folder does not exist", "no node file such as nodes8.hex").
void DescribeDataFolder(const char* folder, const int32_t* list, int32_t count, char* out, size_t size);
