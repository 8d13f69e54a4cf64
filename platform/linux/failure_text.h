// The bytes a failure line takes on standard error, shared by the failure lines and the line that
// files_linux.cpp prepares for a mapped file cut short.
#pragma once

#include <string>

// line with its line end, after the sequence that clears a terminal's loading line when standard
// error is a terminal.
std::string FailureText(const char* line);
