// Settings store of the web page: the page's address, read once ("?ReliefExFactor=5&AutoControl=
// tour"), under the stored values' names; a number, or the name of a value for the settings whose
// values have names. Nothing is written: a page keeps no settings of its own. The data folder is
// the page's copy of the data set in the browser's memory file system.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/failure_report.h"
#include "platform/platform.h"
#include "settings/saver_settings.h"

namespace {

constexpr char kPageDataFolder[] = "/data";

bool CopyOut(const char* text, char* out, size_t size) {
  const size_t length = std::strlen(text);
  if (length + 1 > size) return false;
  std::memcpy(out, text, length + 1);
  return true;
}

}  // namespace

// The value of `name` in the address's query (the last one when given twice), or null; the caller
// frees it.
EM_JS(char*, PageQueryValue, (const char* name), {
  const value = new URLSearchParams(location.search).getAll(UTF8ToString(name)).pop();
  if (value === undefined) return 0;
  const bytes = lengthBytesUTF8(value) + 1;
  const text = _malloc(bytes);
  stringToUTF8(value, text, bytes);
  return text;
});

struct SettingsStore {
  bool reading;
};

void SettingsStoreDefaultDataPath(char* out, size_t size) { CopyOut(kPageDataFolder, out, size); }

bool SettingsStoreReadDataPath(char*, size_t) { return false; }

SettingsStore* SettingsStoreOpenRead() {
  static SettingsStore query{true};
  return &query;
}

// A value the address spells wrongly keeps the default and says so once.
bool SettingsStoreReadValue(SettingsStore*, const char* name, uint32_t* value) {
  char* text = PageQueryValue(name);
  if (!text) return false;
  const std::string given = text;
  std::free(text);
  const SettingDef* def = FindSettingDef(name);
  if (def && (ParseStoredNumber(given, value) || ParseSettingChoice(*def, given, value))) return true;
  ReportFailure("the address's %s=%s is not a value of %s: its default is kept", name, given.c_str(), name);
  return false;
}

SettingsStore* SettingsStoreOpenWrite() { return nullptr; }

void SettingsStoreWriteValue(SettingsStore*, const char*, uint32_t) {}

void SettingsStoreClose(SettingsStore*) {}

const char* SettingsStoreLocation() { return "the page's address"; }
