// The per-user folder of the Windows side, shared by the cache folder (files_win32.cpp) and the
// failure log (failure_output_win32.cpp).
#pragma once

#include <string>

// %LOCALAPPDATA%\Redsphere (the variable, else the shell's local application data folder); empty
// when the user has neither. The folder may not exist yet.
std::wstring RedsphereAppDataFolder();
