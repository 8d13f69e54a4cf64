// The user's choices for one run of the saver or one opening of the settings dialog, with the one
// table of the twelve stored values that the stores, the dialog and the command-line options share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/data_paths.h"  // kDataPathSize

constexpr float kTerraformPeriodStep = 20.0f;  // seconds per step of the terraform period

// One process-wide record. Written by Load on the window thread at window creation (or by the
// dialog's thread when it opens), and afterwards only MaxPPD may change in memory; every other
// thread only reads it.
// The SunPos value of the real sun: where it stands over Mars at the moment of the frame.
constexpr uint32_t kSunPosNow = 5;

struct SaverSettings {
  char DataPath[kDataPathSize];  // folder holding the map data files
  uint32_t ReliefExFactor;       // starting relief exaggeration, 1..10
  uint32_t MaxPPD;               // resolution level to load, samples per degree
  uint32_t SunPos;               // season of the sun, 0 (winter) .. 4 (summer), or kSunPosNow
  uint32_t TerraformMode;        // 0 none, 1 once, 2 periodic
  uint32_t TerraformPeriod;      // periodic cycle length in steps of 20 s, 1..10
  uint32_t AutoControl;          // 0 manual control, 1 automatic flyby, 2 guided tour
  uint8_t Shadows;               // draw cast shadows
  uint8_t Atmosphere;            // draw the atmosphere shell
  uint8_t Clouds;                // draw clouds in the terraformed look
  uint8_t ShowFrameRate;         // draw the frame rate in a corner
  uint8_t AdaptQuality;          // step quality down (shadows, then detail) while frames run late
  uint32_t Monitors;             // 0 the globe on every monitor, 1 one view across all, 2 the primary only
  float TerraformPeriodSeconds;  // TerraformPeriod * 20, derived at every load, never stored
};

enum class SettingKind : uint8_t { Flag, Number };

// One stored value: its store name, how it is kept, its default and its range. Loading clamps a
// number into [minValue, maxValue] with unsigned comparisons; a flag is on when not 0.
struct SettingDef {
  const char* name;
  SettingKind kind;
  uint32_t defaultValue;
  uint32_t minValue;
  uint32_t maxValue;
  uint32_t SaverSettings::*number;  // set for numbers
  uint8_t SaverSettings::*flag;     // set for flags
  const char* meaning;              // one line for the dialog and --help
  const char* const* choices = nullptr;  // names of a number's values 0, 1, ... (options accept them), or null
};

// The twelve stored values in the order they are read and written.
constexpr size_t kSettingCount = 12;
extern const SettingDef kSettingDefs[kSettingCount];

extern SaverSettings gSaverSettings;

// The compiled-in defaults, with the platform's default data folder.
SaverSettings DefaultSaverSettings();

// Fills settings from the store: the data folder first, then the twelve values, each clamped.
// Values the store lacks keep what settings already held.
void LoadSettings(SaverSettings& settings);
// Writes the twelve values (not the data folder, which belongs to the installer).
void SaveSettings(const SaverSettings& settings);

// A stored number written as text (a line of the Linux settings file, a REG_SZ value): spaces and
// tabs around it aside, the whole text is a decimal number that fits 32 bits; negative numbers
// down to -2^31 are kept as their two's-complement bits, as the registry holds a -1 typed into it.
// A zero byte inside (a damaged file) ends nothing early. False for anything else.
bool ParseStoredNumber(const std::string& text, uint32_t* value);

// A number's value given by its name ("span" for Monitors, "tour" for AutoControl), letter case
// aside, for the settings whose values have names. False when the setting has none or the name
// is not one of them.
bool ParseSettingChoice(const SettingDef& def, const std::string& text, uint32_t* value);
// The text names kSettingDefs' entry `name`, letter case aside; null when it names none.
const SettingDef* FindSettingDef(const std::string& name);
// Reads or writes one table entry of a record as a 32-bit value (flags as 0 or 1).
uint32_t SettingValue(const SaverSettings& settings, const SettingDef& def);
// Stores value into the entry with the loading rules: clamped numbers, flags on when not 0.
void SetSettingValue(SaverSettings& settings, const SettingDef& def, uint32_t value);
