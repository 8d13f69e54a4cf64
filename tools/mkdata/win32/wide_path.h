// The builder's narrow paths as Windows' wide calls take them (see tool_platform_win32.cpp on the
// code page); also used by the tests that start the Windows builder.
#pragma once

#include <string>

std::wstring WidenPath(const std::string& path);
