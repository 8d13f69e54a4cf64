// The few system services only the data builder needs beyond platform/platform.h: whether a
// stream is a terminal (progress is shown only there) and the folder of the running program.
// Implemented in linux/ and win32/.
#pragma once

#include <cstdio>
#include <string>

bool StreamIsTerminal(FILE* stream);
// The folder that holds the running program, without a trailing separator; empty if unknown.
// Narrow text in the encoding of the C library's file calls: UTF-8 on Linux, the ANSI code page
// on Windows (UTF-8 where the system is set to it).
std::string ProgramFolder();
