// The few system services only the data builder needs beyond platform/platform.h: whether a
// stream is a terminal (progress is shown only there) and the folder of the running program.
// Implemented in linux/ and win32/.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

bool StreamIsTerminal(FILE* stream);
// The folder that holds the running program, without a trailing separator; empty if unknown.
// UTF-8, as every path of the builder.
std::string ProgramFolder();
// The command line's arguments as UTF-8: argv itself on Linux; on Windows the wide command line
// (GetCommandLineW), as argv there is in the ANSI code page and loses letters outside it.
std::vector<std::string> ProgramArguments(int argc, char** argv);
