// Settings store of the Windows build: the data folder is the installer's machine-wide
// HKEY_LOCAL_MACHINE\Software\Redsphere "DataPath"; the nine values are REG_DWORDs under
// HKEY_CURRENT_USER\Software\Redsphere\Screensaver.
#include <windows.h>

#include <cstring>

#include "platform/platform.h"

static const char kMachineKey[] = "Software\\Redsphere";
static const char kUserKey[] = "Software\\Redsphere\\Screensaver";
static const char kDefaultDataPath[] = "C:\\ProgramData\\Redsphere";

// One store is open at a time, on the thread that loads or saves the settings.
struct SettingsStore {
  HKEY key;
};

void SettingsStoreDefaultDataPath(char* out, size_t size) {
  if (size == 0) return;
  std::strncpy(out, kDefaultDataPath, size - 1);
  out[size - 1] = '\0';
}

bool SettingsStoreReadDataPath(char* out, size_t size) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMachineKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  // Any value type is accepted. NOTE: registry strings need not carry their terminating zero, so
  // the bytes are read into a buffer of the same size and terminated here; a value that fills
  // the whole buffer without a zero does not fit and leaves the default folder.
  char buffer[MAX_PATH + 1] = {};
  DWORD length = static_cast<DWORD>(size < sizeof buffer ? size : sizeof buffer - 1);
  const LONG result = RegQueryValueExA(key, "DataPath", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return false;
  size_t used = length;
  if (used > 0 && std::memchr(buffer, '\0', used) != nullptr) {
    used = std::strlen(buffer);
  } else if (used >= size) {
    return false;
  }
  if (used == 0) return false;
  std::memcpy(out, buffer, used);
  out[used] = '\0';
  return true;
}

SettingsStore* SettingsStoreOpenRead() {
  static SettingsStore store;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kUserKey, 0, KEY_QUERY_VALUE, &store.key) != ERROR_SUCCESS) return nullptr;
  return &store;
}

bool SettingsStoreReadValue(SettingsStore* store, const char* name, uint32_t* value) {
  // Any type of 4 bytes or fewer is taken as its bytes; a longer one does not fit and is skipped.
  BYTE bytes[4] = {};
  DWORD length = sizeof bytes;
  if (RegQueryValueExA(store->key, name, nullptr, nullptr, bytes, &length) != ERROR_SUCCESS) return false;
  *value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  return true;
}

SettingsStore* SettingsStoreOpenWrite() {
  static SettingsStore store;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kUserKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      &store.key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return &store;
}

void SettingsStoreWriteValue(SettingsStore* store, const char* name, uint32_t value) {
  const DWORD dword = value;
  RegSetValueExA(store->key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword), sizeof dword);
}

void SettingsStoreClose(SettingsStore* store) { RegCloseKey(store->key); }

const char* SettingsStoreLocation() { return "HKEY_CURRENT_USER\\Software\\Redsphere\\Screensaver"; }
