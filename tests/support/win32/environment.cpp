#include <windows.h>

#include <cstdlib>

#include "tests/support/user_folders.h"

// NOTE: the C runtime keeps a copy of the environment of its own; both copies are set, so
// getenv and GetEnvironmentVariable (and child processes) agree.
void SetEnvironment(const char* name, const char* value) {
  SetEnvironmentVariableA(name, value);
  _putenv_s(name, value ? value : "");
}

void UseUserFolders(const std::string& folder) {
  SetEnvironment("XDG_CACHE_HOME", folder.c_str());
  SetEnvironment("LOCALAPPDATA", folder.c_str());
}
