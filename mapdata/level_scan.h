// Finds which resolution levels a data folder holds, from the names of its node files.
#pragma once

#include <cstdint>

constexpr int32_t kLevelListCapacity = 64;  // what both callers pass
constexpr uint32_t kFallbackLevel = 8;       // the level every data set is expected to have

// Writes up to capacity levels found in the data folder of gSaverSettings into list, sorted
// ascending (duplicates kept), and returns their count; 0 when the folder cannot be entered.
// Changes the working directory and always restores it. Window or dialog thread only.
int32_t ScanLevels(int32_t* list, int32_t capacity);

// The level a run loads: MaxPPD when the folder lists it, else the fallback level 8.
uint32_t ChooseLevel(uint32_t maxPPD, const int32_t* list, int32_t count);
