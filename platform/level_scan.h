// The levels a data folder holds: the node files it lists by the one node-file rule
// (NodeFileLevel, platform/data_paths.h) that also open. Read by the run's level choice, the
// Windows settings dialog, the Linux program and the Linux store's choice of a default folder.
#pragma once

#include <cstdint>

constexpr int32_t kLevelListCapacity = 64;  // what every caller that lists levels passes

// Writes up to capacity levels of folder into list, ascending and each once, and returns their
// count. A level is listed when some entry's name has its level (NodeFileLevel) and the node file
// under its own lower-case name is a file that opens. 0 when the folder cannot be listed. Any thread.
int32_t ScanLevelsIn(const char* folder, int32_t* list, int32_t capacity);
