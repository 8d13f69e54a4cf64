// Settings store of the Linux build: one key=value file, $XDG_CONFIG_HOME/redsphere/settings.conf
// (~/.config when the variable is unset), holding "DataPath" and the twelve values under their
// registry names. Writing keeps every line it does not own and replaces the file in one rename.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/level_scan.h"
#include "platform/platform.h"
#include "settings/saver_settings.h"

namespace {

struct Line {
  std::string key;   // empty for comments and lines without '='
  std::string text;  // the whole line as read, or as written for owned keys
};

std::string ConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/redsphere";
  const char* home = std::getenv("HOME");
  return std::string(home && home[0] ? home : ".") + "/.config/redsphere";
}

std::string ConfigFile() { return ConfigFolder() + "/settings.conf"; }

std::string Trim(const std::string& s) {
  size_t begin = s.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  size_t end = s.find_last_not_of(" \t\r");
  return s.substr(begin, end - begin + 1);
}

// What reading the settings file came to. A file that exists but could not be read whole must not
// be saved over: the lines the store keeps for the user would be lost with it.
enum class ReadResult { Read, Missing, Failed };

ReadResult ReadLines(const std::string& path, std::vector<Line>& lines) {
  FILE* file = PlatformOpenFile(path.c_str(), "rb");
  if (!file) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
  std::string text;
  char block[4096];
  size_t got;
  while ((got = PlatformReadFile(file, block, sizeof block)) > 0) text.append(block, got);
  const bool whole = std::feof(file) && !std::ferror(file);
  std::fclose(file);
  if (!whole) return ReadResult::Failed;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    Line line{"", text.substr(start, end - start)};
    const size_t eq = line.text.find('=');
    const std::string head = Trim(line.text.substr(0, eq == std::string::npos ? 0 : eq));
    if (eq != std::string::npos && !head.empty() && head[0] != '#') line.key = head;
    lines.push_back(line);
    start = end + 1;
  }
  return ReadResult::Read;
}

const Line* FindKey(const std::vector<Line>& lines, const char* key) {
  const Line* found = nullptr;
  for (const Line& line : lines)
    if (line.key == key) found = &line;  // the last one wins, as when a user appends a line
  return found;
}

std::string ValueOf(const Line& line) { return Trim(line.text.substr(line.text.find('=') + 1)); }

}  // namespace

struct SettingsStore {
  std::vector<Line> lines;
  bool writing;
};

namespace {

// A folder holds map data when the level scan finds a level there, by the one node-file rule the
// saver loads by.
bool HoldsMapData(const std::string& folder) {
  int32_t level = 0;
  return ScanLevelsIn(folder.c_str(), &level, 1) > 0;
}

}  // namespace

// The user's own folder ($XDG_DATA_HOME/redsphere) when it holds data, else the first
// "redsphere/data" under $XDG_DATA_DIRS that does (the Debian package's /usr/share/redsphere/data
// serves a new user with no set-up), else the user's folder, where scripts/run.sh puts a set.
void SettingsStoreDefaultDataPath(char* out, size_t size) {
  if (size == 0) return;
  std::string path;
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  if (xdg && xdg[0] == '/') path = std::string(xdg) + "/redsphere";
  else path = std::string(home && home[0] ? home : ".") + "/.local/share/redsphere";
  if (!HoldsMapData(path)) {
    const char* dirs = std::getenv("XDG_DATA_DIRS");
    // The XDG default when the variable is unset or empty.
    const std::string list = dirs && dirs[0] ? dirs : "/usr/local/share:/usr/share";
    size_t start = 0;
    for (;;) {
      const size_t colon = list.find(':', start);
      const std::string dir = list.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
      // Relative entries are invalid in the XDG rules and would depend on the working directory.
      if (!dir.empty() && dir[0] == '/' && HoldsMapData(dir + "/redsphere/data")) {
        path = dir + "/redsphere/data";
        break;
      }
      if (colon == std::string::npos) break;
      start = colon + 1;
    }
  }
  if (path.size() >= size) path = "redsphere-data";
  std::memcpy(out, path.c_str(), path.size() + 1);
}

bool SettingsStoreReadDataPath(char* out, size_t size) {
  std::vector<Line> lines;
  if (ReadLines(ConfigFile(), lines) != ReadResult::Read) return false;
  const Line* line = FindKey(lines, "DataPath");
  if (!line) return false;
  std::string value = ValueOf(*line);
  // A zero byte would cut the path short of what the line says: such a line names no folder.
  if (value.empty() || value.size() >= size || value.find('\0') != std::string::npos) return false;
  std::memcpy(out, value.c_str(), value.size() + 1);
  return true;
}

SettingsStore* SettingsStoreOpenRead() {
  SettingsStore* store = new SettingsStore{{}, false};
  if (ReadLines(ConfigFile(), store->lines) != ReadResult::Read) {
    delete store;
    return nullptr;
  }
  return store;
}

bool SettingsStoreReadValue(SettingsStore* store, const char* name, uint32_t* value) {
  const Line* line = FindKey(store->lines, name);
  return line && ParseStoredNumber(ValueOf(*line), value);
}

SettingsStore* SettingsStoreOpenWrite() {
  const std::string folder = ConfigFolder();
  // Create the folder and its parent (~/.config may not exist on a fresh account).
  const std::string parent = folder.substr(0, folder.rfind('/'));
  mkdir(parent.c_str(), 0700);
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return nullptr;
  SettingsStore* store = new SettingsStore{{}, true};
  // A missing file simply starts empty; one that cannot be read is left as it is.
  if (ReadLines(ConfigFile(), store->lines) == ReadResult::Failed) {
    delete store;
    return nullptr;
  }
  return store;
}

void SettingsStoreWriteValue(SettingsStore* store, const char* name, uint32_t value) {
  const std::string text = std::string(name) + "=" + std::to_string(value);
  std::vector<Line>& lines = store->lines;
  auto first = std::find_if(lines.begin(), lines.end(), [&](const Line& line) { return line.key == name; });
  if (first == lines.end()) {
    lines.push_back(Line{name, text});
    return;
  }
  first->text = text;
  // Later duplicates would override the value just written; they go.
  lines.erase(std::remove_if(first + 1, lines.end(), [&](const Line& line) { return line.key == name; }), lines.end());
}

void SettingsStoreClose(SettingsStore* store) {
  if (store->writing) {
    // Byte for byte, zero bytes included: a line the store does not own comes back as it was.
    std::string text;
    for (const Line& line : store->lines) {
      text += line.text;
      text += '\n';
    }
    // Written beside the file under a name of this process and save, then renamed over it: a
    // crash mid-write never leaves half a settings file, and two saves at once each put a whole
    // one in place. A save that fails leaves the old file; a screensaver has nowhere to say so.
    std::string error;
    WriteAtomicFile(ConfigFile(), AtomicWrite::Quick, text.data(), text.size(), error);
  }
  delete store;
}

const char* SettingsStoreLocation() {
  static std::string path;
  path = ConfigFile();
  return path.c_str();
}
