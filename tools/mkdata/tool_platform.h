// The few system services the data builder needs beyond standard C++: whether a stream is a
// terminal (progress is shown only there) and flushing a written file to the disk before it is
// renamed into place. Implemented in linux/ (the builder is a native tool).
#pragma once

#include <cstdio>
#include <string>

bool StreamIsTerminal(FILE* stream);
// Flushes the stream and asks the system to put the file's bytes on the disk; false on failure.
bool SyncFileToDisk(FILE* file);
// The folder that holds the running program, without a trailing separator; empty if unknown.
std::string ProgramFolder();
