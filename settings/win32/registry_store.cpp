// Settings store of the Windows build: the data folder is the installer's machine-wide
// HKEY_LOCAL_MACHINE\Software\Redsphere "DataPath"; the twelve values are REG_DWORDs under
// HKEY_CURRENT_USER\Software\Redsphere\Screensaver. Names and strings cross to the registry's
// wide calls through the platform's one text conversion.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/failure_report.h"
#include "platform/platform.h"
#include "platform/win32/wide_text.h"
#include "settings/saver_settings.h"

static const wchar_t kMachineKey[] = L"Software\\Redsphere";
static const wchar_t kUserKey[] = L"Software\\Redsphere\\Screensaver";
static const char kDefaultDataPath[] = "C:\\ProgramData\\Redsphere";
// Registry strings may be up to a megabyte; a data folder path is never near this.
static const DWORD kMaxDataPathBytes = 65536;

// One store is open at a time, on the thread that loads or saves the settings.
struct SettingsStore {
  HKEY key;
};

namespace {

// A value's type and bytes, the bytes followed by two zero wide characters whatever was stored
// (registry strings need not carry their terminating zero). False when the value is absent or
// larger than `limit` bytes.
bool QueryValue(HKEY key, const wchar_t* name, DWORD limit, DWORD* type, std::vector<BYTE>* bytes) {
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, type, nullptr, &size) != ERROR_SUCCESS || size > limit) return false;
  bytes->assign(size + 2 * sizeof(wchar_t), 0);
  if (RegQueryValueExW(key, name, nullptr, type, bytes->data(), &size) != ERROR_SUCCESS) return false;
  bytes->resize(size);
  bytes->insert(bytes->end(), 2 * sizeof(wchar_t), 0);
  return true;
}

// A REG_SZ or REG_EXPAND_SZ value as narrow text, environment variables expanded in the latter
// (deployments write "%SystemDrive%\mars").
std::string StringValue(DWORD type, const std::vector<BYTE>& bytes) {
  std::wstring wide(reinterpret_cast<const wchar_t*>(bytes.data()));
  if (type == REG_EXPAND_SZ) {
    const DWORD length = ExpandEnvironmentStringsW(wide.c_str(), nullptr, 0);
    std::wstring expanded(length, L'\0');
    if (length > 0 && ExpandEnvironmentStringsW(wide.c_str(), expanded.data(), length) == length)
      wide.assign(expanded.c_str());
  }
  return NarrowFromWide(wide.c_str());
}

bool IsString(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

void SettingsStoreDefaultDataPath(char* out, size_t size) {
  if (size == 0) return;
  std::strncpy(out, kDefaultDataPath, size - 1);
  out[size - 1] = '\0';
}

bool SettingsStoreReadDataPath(char* out, size_t size) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kMachineKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  std::vector<BYTE> bytes;
  const bool found = QueryValue(key, L"DataPath", kMaxDataPathBytes, &type, &bytes);
  RegCloseKey(key);
  if (!found) return false;
  // Strings as the registry holds them; any other type is taken as the narrow text a tool wrote.
  const std::string path =
      IsString(type) ? StringValue(type, bytes) : std::string(reinterpret_cast<const char*>(bytes.data()));
  if (path.empty() || size == 0) return false;
  if (path.size() >= size) {
    ReportFailure("the data folder in HKEY_LOCAL_MACHINE\\Software\\Redsphere \"DataPath\" is too long "
                  "(%lu characters, at most %lu): the default folder %s is used",
                  static_cast<unsigned long>(path.size()), static_cast<unsigned long>(size - 1), kDefaultDataPath);
    return false;
  }
  std::memcpy(out, path.c_str(), path.size() + 1);
  return true;
}

SettingsStore* SettingsStoreOpenRead() {
  static SettingsStore store;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kUserKey, 0, KEY_QUERY_VALUE, &store.key) != ERROR_SUCCESS) return nullptr;
  return &store;
}

bool SettingsStoreReadValue(SettingsStore* store, const char* name, uint32_t* value) {
  DWORD type = 0;
  std::vector<BYTE> bytes;
  // Room for a number typed as text with some spaces around it.
  if (!QueryValue(store->key, WideFromNarrow(name).c_str(), 64, &type, &bytes)) return false;
  // A number typed into the registry as text: the same rule as a line of the Linux settings file.
  if (IsString(type)) return ParseStoredNumber(StringValue(type, bytes), value);
  // Any other type of 4 bytes or fewer is taken as its bytes; a longer one does not fit.
  const size_t stored = bytes.size() - 2 * sizeof(wchar_t);
  if (stored > 4) return false;
  *value = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
  return true;
}

SettingsStore* SettingsStoreOpenWrite() {
  static SettingsStore store;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kUserKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      &store.key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return &store;
}

void SettingsStoreWriteValue(SettingsStore* store, const char* name, uint32_t value) {
  const DWORD dword = value;
  RegSetValueExW(store->key, WideFromNarrow(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword),
                 sizeof dword);
}

void SettingsStoreClose(SettingsStore* store) { RegCloseKey(store->key); }

const char* SettingsStoreLocation() { return "HKEY_CURRENT_USER\\Software\\Redsphere\\Screensaver"; }
