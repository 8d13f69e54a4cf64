// Points the program's per-user folders (the cache folder and, on Windows, the failure log) at a
// folder of the test's own, so tests never touch the real user's files.
#pragma once

#include <string>

// Sets (or, with null, removes) a variable of this process's environment, which the processes
// it starts inherit.
void SetEnvironment(const char* name, const char* value);
// XDG_CACHE_HOME and LOCALAPPDATA both: each platform reads one of them.
void UseUserFolders(const std::string& folder);
