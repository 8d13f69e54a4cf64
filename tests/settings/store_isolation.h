// Gives each settings test an empty per-user store of its own: a fresh config folder on Linux,
// deleted Redsphere keys in the test's own Wine prefix on Windows.
#pragma once

#include <string>

// Empties the per-user settings and the stored data folder.
void IsolateSettingsStore();
// Stores a data folder as the installer would (the registry's machine-wide value, or the
// DataPath line of the settings file).
void StoreDataPath(const std::string& path);
