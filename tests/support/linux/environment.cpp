#include <cstdlib>

#include "tests/support/user_folders.h"

void SetEnvironment(const char* name, const char* value) {
  if (value) setenv(name, value, 1);
  else unsetenv(name);
}

void UseUserFolders(const std::string& folder) {
  SetEnvironment("XDG_CACHE_HOME", folder.c_str());
  SetEnvironment("LOCALAPPDATA", folder.c_str());
}
