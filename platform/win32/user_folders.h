// The Windows shell's per-user folder and text conversion, shared by the cache folder
// (files_win32.cpp) and the failure log (failure_output_win32.cpp).
#pragma once

#include <string>

// %LOCALAPPDATA%\Redsphere (the variable, else the shell's local application data folder); empty
// when the user has neither. The folder may not exist yet.
std::wstring RedsphereAppDataFolder();

// Narrow text of the portable code (its paths and failure lines) as the wide text Windows' own
// calls take: it is in the ANSI code page, as fopen reads paths.
std::wstring WideFromAnsi(const char* text);
