// The Windows shell's per-user folder and text conversion, shared by the cache folder and the file
// calls (files_win32.cpp), the failure log (failure_output_win32.cpp), the data builder's Windows
// side and the tests that start the Windows builder.
#pragma once

#include <string>

// %LOCALAPPDATA%\Redsphere (the variable, else the shell's local application data folder); empty
// when the user has neither. The folder may not exist yet.
std::wstring RedsphereAppDataFolder();

// Narrow text of the portable code (its paths and failure lines) as the wide text Windows' own
// calls take: it is in the ANSI code page, as fopen reads paths.
std::wstring WideFromAnsi(const char* text);
// Wide text of Windows' own calls (length characters, or -1 for up to the terminating zero) back
// in the ANSI code page.
std::string AnsiFromWide(const wchar_t* text, int length);
