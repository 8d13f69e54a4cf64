// Memory of the map tables. Tables that are a data file's bytes unchanged are mapped read-only
// from the file where the platform can (no copy, no page zeroing: a cached level-8 load maps 48 MB
// in well under a millisecond); the rest are allocated. Either way one call releases them.
#pragma once

#include <cstdint>
#include <cstdio>

// Allocated table memory; null when there is none (the caller says what that means).
void* TableAlloc(uint64_t bytes);

// Why TableFromFile gave no table.
enum class TableMiss : uint8_t { None, NoMemory, ShortRead };

// The first `bytes` bytes of an open file from its start, mapped read-only or else read into
// allocated memory; null when neither worked, with *miss saying why (the caller says what that
// means). The caller has checked the file's length.
// name says which file it is in a failure line (platform.h, PlatformMapFile).
void* TableFromFile(FILE* file, uint64_t bytes, const char* name, TableMiss* miss);
// Releases a table from either call; null is ignored. Never called while the loader runs
// (the window thread releases only after it has seen the loaded flag or joined the loader).
void TableRelease(void* table);
