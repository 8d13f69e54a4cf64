// The few system services the data builder needs beyond standard C++: whether a stream is a
// terminal (progress is shown only there), flushing a written file to the disk, publishing it
// over its final name, and telling its own temporary files from those of other builders.
// Implemented in linux/ and win32/. Paths are in the encoding of the C library's file calls:
// UTF-8 on Linux, the ANSI code page on Windows (UTF-8 where the system is set to it).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

bool StreamIsTerminal(FILE* stream);
// Flushes the stream and asks the system to put the file's bytes on the disk; false on failure.
bool SyncFileToDisk(FILE* file);
// The folder that holds the running program, without a trailing separator; empty if unknown.
std::string ProgramFolder();
// Moves a closed file over target in one step, replacing a file already there; readers see the
// old file or the new one, never neither. False with the system's reason in one line.
bool ReplaceFileWith(const std::string& source, const std::string& target, std::string& reason);
uint32_t CurrentProcessId();
// Whether a process with this id is running now (any process: ids are reused). False for 0.
bool ProcessIsRunning(uint32_t id);
