// The Linux program's command line: the run mode, its size and picture options, the moment the
// Mars clock shows, and the twelve settings and the data folder as options. Option names and
// --help come from kSettingDefs.
#pragma once

#include <cstdint>
#include <string>

#include "settings/saver_settings.h"

enum class RunMode : uint8_t {
  Window,         // an ordinary window (the default from a terminal)
  Fullscreen,     // the whole screen, ended by input as a screensaver is
  ForeignWindow,  // an existing X window: --window-id, --root or XSCREENSAVER_WINDOW
  Frames,         // N frames of the flyby written as PNG files, nothing shown
  PrintSky,       // the sun's and the moons' places over Mars printed, nothing shown
};

// What the command line asks for. Written once by ParseOptions on the main thread.
struct LinuxOptions {
  RunMode mode;
  bool help;                         // print the usage and exit
  bool configure;                    // print the settings and where they live, and exit
  bool rootWindow;                   // --root: XSCREENSAVER_WINDOW, else the screen's root window
  unsigned long foreignWindow;       // X window id for --window-id (0 until given)
  int32_t width, height;             // --size; 0 when not given (each mode has its own default)
  uint32_t frameCount;               // --frames
  std::string outFolder;             // --out
  std::string dataPath;              // --data; empty when not given
  bool whenGiven;                    // --when was given; otherwise the moment is the system clock's
  int64_t whenMillis;                // --when: UTC milliseconds since 1970, from 1800 to 2050
  bool whenRefused;                  // the refusal is --when's date: one line and status 1, no usage
  bool settingGiven[kSettingCount];  // which of kSettingDefs the command line set
  uint32_t settingValue[kSettingCount];
};

// Reads argv into options. False with one line in *error for an unknown option, a missing or
// malformed value, or options that do not go together; the caller prints the usage and exits 2,
// or, for a date --when cannot read (whenRefused), only the line and exits 1.
bool ParseOptions(int argc, const char* const* argv, LinuxOptions& options, std::string* error);

// "--relief-ex-factor" for "ReliefExFactor": the option name of a stored value.
std::string SettingOptionName(const char* settingName);

// The --help text, with every setting's option, range and default from kSettingDefs.
std::string UsageText();

// Puts the command line's settings and data folder over those already loaded from the store.
void ApplySettingOptions(const LinuxOptions& options, SaverSettings& settings);
