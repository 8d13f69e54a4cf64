// The one place where the program's narrow text meets Windows' wide calls: every path, name and
// line the portable code holds is UTF-8, and it crosses to the wide (W) calls and back only
// through these conversions. No ANSI (A) call is made: the Windows build defines UNICODE, so a
// plain name such as CreateWindowEx is the W call and narrow text handed to it does not compile.
#pragma once

#include <string>

// UTF-8 text of the portable code as the wide text Windows' own calls take. Bytes that are not
// UTF-8 become U+FFFD, so they name no file rather than another one.
std::wstring WideFromNarrow(const char* text);
// Wide text of Windows' own calls (length characters, or -1 for up to the terminating zero) as
// UTF-8.
std::string NarrowFromWide(const wchar_t* text, int length = -1);
// The same into a caller's buffer with its terminating zero; false (out untouched) when the text
// is empty or does not fit in size bytes.
bool NarrowInto(const wchar_t* text, char* out, size_t size);
