// The settings table and the load/save rules shared by every store; the stores themselves live in
// settings/win32/ (registry) and settings/linux/ (key=value file).
#include "settings/saver_settings.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace {
const char* const kControlChoices[] = {"manual", "automatic", "tour", nullptr};
const char* const kMonitorChoices[] = {"each", "span", "primary", nullptr};
// The seasons go by number; only the real sun has a name.
const char* const kSunChoices[] = {"0", "1", "2", "3", "4", "now", nullptr};
}  // namespace

const SettingDef kSettingDefs[kSettingCount] = {
    {"Shadows", SettingKind::Flag, 1, 0, 1, nullptr, &SaverSettings::Shadows, "draw cast shadows"},
    {"Atmosphere", SettingKind::Flag, 1, 0, 1, nullptr, &SaverSettings::Atmosphere, "draw the atmosphere"},
    {"Clouds", SettingKind::Flag, 1, 0, 1, nullptr, &SaverSettings::Clouds, "draw clouds in the terraformed look"},
    {"AutoControl", SettingKind::Number, 1, 0, 2, &SaverSettings::AutoControl, nullptr,
     "manual control, the automatic flyby, or the guided tour of landmarks", kControlChoices},
    {"MaxPPD", SettingKind::Number, 8, 8, 32, &SaverSettings::MaxPPD, nullptr,
     "map resolution level, samples per degree"},
    {"ReliefExFactor", SettingKind::Number, 10, 1, 10, &SaverSettings::ReliefExFactor, nullptr,
     "relief exaggeration"},
    {"SunPos", SettingKind::Number, 4, 0, kSunPosNow, &SaverSettings::SunPos, nullptr,
     "the sun: a season from 0 winter to 4 summer, or 5 where it stands over Mars now", kSunChoices},
    {"TerraformMode", SettingKind::Number, 2, 0, 2, &SaverSettings::TerraformMode, nullptr,
     "automatic terraforming: 0 none, 1 once, 2 periodic"},
    {"TerraformPeriod", SettingKind::Number, 1, 1, 10, &SaverSettings::TerraformPeriod, nullptr,
     "terraforming cycle in steps of 20 seconds"},
    {"ShowFrameRate", SettingKind::Flag, 0, 0, 1, nullptr, &SaverSettings::ShowFrameRate,
     "show the frame rate in a corner"},
    {"AdaptQuality", SettingKind::Flag, 1, 0, 1, nullptr, &SaverSettings::AdaptQuality,
     "step shadows and detail down while frames run late (0: keep them)"},
    {"Monitors", SettingKind::Number, 0, 0, 2, &SaverSettings::Monitors, nullptr,
     "the globe on each monitor, one view spanning them all, or the primary only", kMonitorChoices},
};

SaverSettings gSaverSettings = DefaultSaverSettings();

static void DerivePeriodSeconds(SaverSettings& settings) {
  settings.TerraformPeriodSeconds = static_cast<float>(settings.TerraformPeriod) * kTerraformPeriodStep;
}

SaverSettings DefaultSaverSettings() {
  SaverSettings settings{};
  SettingsStoreDefaultDataPath(settings.DataPath, kDataPathSize);
  for (const SettingDef& def : kSettingDefs) SetSettingValue(settings, def, def.defaultValue);
  DerivePeriodSeconds(settings);
  return settings;
}

uint32_t SettingValue(const SaverSettings& settings, const SettingDef& def) {
  if (def.kind == SettingKind::Flag) return settings.*def.flag ? 1u : 0u;
  return settings.*def.number;
}

void SetSettingValue(SaverSettings& settings, const SettingDef& def, uint32_t value) {
  if (def.kind == SettingKind::Flag) {
    settings.*def.flag = value != 0 ? 1 : 0;
    return;
  }
  // Unsigned on purpose: a stored -1 is a huge value and clamps to the maximum.
  if (value < def.minValue) value = def.minValue;
  if (value > def.maxValue) value = def.maxValue;
  settings.*def.number = value;
}

bool ParseStoredNumber(const std::string& text, uint32_t* value) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  const std::string number = text.substr(first, text.find_last_not_of(" \t") + 1 - first);
  errno = 0;
  char* end = nullptr;
  const long long parsed = std::strtoll(number.c_str(), &end, 10);
  if (errno != 0 || end != number.c_str() + number.size() || parsed < -2147483648LL || parsed > 4294967295LL)
    return false;
  *value = static_cast<uint32_t>(parsed);
  return true;
}

namespace {
bool EqualsIgnoringCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}
}  // namespace

bool ParseSettingChoice(const SettingDef& def, const std::string& text, uint32_t* value) {
  if (!def.choices) return false;
  for (uint32_t i = 0; def.choices[i]; ++i) {
    if (!EqualsIgnoringCase(text, def.choices[i])) continue;
    *value = i;
    return true;
  }
  return false;
}

const SettingDef* FindSettingDef(const std::string& name) {
  for (const SettingDef& def : kSettingDefs)
    if (EqualsIgnoringCase(name, def.name)) return &def;
  return nullptr;
}

void LoadSettings(SaverSettings& settings) {
  char path[kDataPathSize];
  if (SettingsStoreReadDataPath(path, sizeof path)) std::memcpy(settings.DataPath, path, sizeof path);

  SettingsStore* store = SettingsStoreOpenRead();
  if (!store) return;
  for (const SettingDef& def : kSettingDefs) {
    uint32_t value;
    if (SettingsStoreReadValue(store, def.name, &value)) SetSettingValue(settings, def, value);
  }
  SettingsStoreClose(store);
  DerivePeriodSeconds(settings);
}

void SaveSettings(const SaverSettings& settings) {
  SettingsStore* store = SettingsStoreOpenWrite();
  if (!store) return;
  for (const SettingDef& def : kSettingDefs) SettingsStoreWriteValue(store, def.name, SettingValue(settings, def));
  SettingsStoreClose(store);
}
