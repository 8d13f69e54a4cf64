// The one place where the program's narrow text meets Windows' wide calls: every path, name and
// line the portable code holds is narrow, and it crosses to the wide (W) calls and back only
// through these conversions.
#pragma once

#include <string>

// The narrow text of the portable code (its paths and failure lines) as the wide text Windows'
// own calls take. It is in the code page the C runtime's file calls (fopen) read paths in.
std::wstring WideFromNarrow(const char* text);
// Wide text of Windows' own calls (length characters, or -1 for up to the terminating zero) back
// in that narrow encoding.
std::string NarrowFromWide(const wchar_t* text, int length = -1);
// Wide text as UTF-8, for text that leaves the program as bytes (the failure log).
std::string Utf8FromWide(const std::wstring& text);
