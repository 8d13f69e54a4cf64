// Command-line parsing and the usage text of the Linux program. The twelve settings are not listed
// here: their options, ranges and defaults are read from kSettingDefs, as the stores read them.
#include "shell/linux/options.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "camera/mars_clock.h"

namespace {

constexpr int32_t kMinSize = 16;     // pixels; smaller windows show nothing useful
constexpr int32_t kMaxSize = 16384;  // the largest viewport Mesa and most drivers allow
constexpr uint32_t kMaxFrames = 1000000;
constexpr size_t kHelpColumn = 30;  // where the explanations of --help start

// Text from the command line or the environment, quoted for the one-line error: control bytes
// (a newline pasted into an argument, an escape sequence) are written as \n, \t or \xNN, so the
// line stays one line and the terminal shows what was given.
std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "'";
}

// A whole decimal number that fits 32 bits (no sign, no spaces).
bool ParseWhole(const std::string& text, uint32_t* value) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const unsigned long long parsed = std::strtoull(text.c_str(), nullptr, 10);
  if (parsed > UINT32_MAX) return false;
  *value = static_cast<uint32_t>(parsed);
  return true;
}

// An X window id as XScreenSaver writes it ("0x2a00007"), or in decimal.
bool ParseWindowId(const std::string& text, unsigned long* id) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.empty() || digits.size() > 16 ||
      digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos)
    return false;
  errno = 0;
  *id = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
  return errno == 0 && *id != 0;
}

bool ParseSize(const std::string& text, int32_t* width, int32_t* height) {
  const size_t x = text.find('x');
  uint32_t w = 0, h = 0;
  if (x == std::string::npos || !ParseWhole(text.substr(0, x), &w) || !ParseWhole(text.substr(x + 1), &h)) return false;
  if (w < kMinSize || h < kMinSize || w > kMaxSize || h > kMaxSize) return false;
  *width = static_cast<int32_t>(w);
  *height = static_cast<int32_t>(h);
  return true;
}

// The table entry an option names: "--max-ppd", or the stored name itself ("--MaxPPD").
int FindSetting(const std::string& option) {
  for (size_t i = 0; i < kSettingCount; ++i) {
    const std::string name = kSettingDefs[i].name;
    if (option == "--" + SettingOptionName(name.c_str())) return static_cast<int>(i);
  }
  if (option.rfind("--", 0) != 0) return -1;
  const SettingDef* def = FindSettingDef(option.substr(2));
  return def ? static_cast<int>(def - kSettingDefs) : -1;
}

std::string RangeText(const SettingDef& def) {
  if (def.kind == SettingKind::Flag) return "0|1";
  if (def.choices) {
    std::string names;
    for (const char* const* name = def.choices; *name; ++name) names += (names.empty() ? "" : "|") + std::string(*name);
    return names;
  }
  return std::to_string(def.minValue) + ".." + std::to_string(def.maxValue);
}

// The command line as the option loop walks it.
struct ArgumentWalk {
  int argc;
  const char* const* argv;
  int index;           // the argument being read
  std::string option;  // its option name: an inline value cut off, XScreenSaver's spellings mapped
  std::string value;   // the inline value, or the next argument once TakeValue took it
  bool hasInlineValue;
};

// What the options read so far have chosen.
struct OptionState {
  LinuxOptions* options;
  int modes;  // mode options given: more than one is an error
  bool outGiven;
};

// Reads argument walk.index into the option's name and its inline value ("--size=640x480").
void ReadArgument(ArgumentWalk& walk) {
  walk.option = walk.argv[walk.index];
  walk.value.clear();
  walk.hasInlineValue = false;
  const size_t eq = walk.option.find('=');
  if (walk.option.rfind("--", 0) == 0 && eq != std::string::npos) {
    walk.value = walk.option.substr(eq + 1);
    walk.option = walk.option.substr(0, eq);
    walk.hasInlineValue = true;
  }
  // XScreenSaver passes its hacks single-dash options.
  if (walk.option == "-root") walk.option = "--root";
  if (walk.option == "-window-id") walk.option = "--window-id";
  if (walk.option == "-fps") walk.option = "--fps";
}

// The option's value, inline or the next argument (which the walk then steps over); false with
// the error set when the command line ends first.
bool TakeValue(ArgumentWalk& walk, std::string* error) {
  if (walk.hasInlineValue) return true;
  if (walk.index + 1 >= walk.argc) {
    *error = walk.option + " needs a value";
    return false;
  }
  walk.value = walk.argv[++walk.index];
  return true;
}

// False with the error set when an option that takes no value was given one.
bool NoValue(const ArgumentWalk& walk, std::string* error) {
  if (!walk.hasInlineValue) return true;
  *error = walk.option + " takes no value";
  return false;
}

// Reads --help, --configure or a mode option; handled tells whether the option was one of them.
bool ParseModeOption(ArgumentWalk& walk, OptionState& state, std::string* error, bool& handled) {
  const std::string& arg = walk.option;
  LinuxOptions& options = *state.options;
  handled = true;
  if (arg == "--help" || arg == "-h") {
    if (!NoValue(walk, error)) return false;
    options.help = true;
  } else if (arg == "--configure") {
    if (!NoValue(walk, error)) return false;
    options.configure = true;
  } else if (arg == "--fullscreen") {
    if (!NoValue(walk, error)) return false;
    options.mode = RunMode::Fullscreen;
    ++state.modes;
  } else if (arg == "--root") {
    if (!NoValue(walk, error)) return false;
    options.mode = RunMode::ForeignWindow;
    options.rootWindow = true;
    ++state.modes;
  } else if (arg == "--window-id") {
    if (!TakeValue(walk, error)) return false;
    if (!ParseWindowId(walk.value, &options.foreignWindow)) {
      *error = "--window-id needs an X window id (decimal or 0x hex), not " + Quoted(walk.value);
      return false;
    }
    options.mode = RunMode::ForeignWindow;
    ++state.modes;
  } else if (arg == "--print-sky") {
    if (!NoValue(walk, error)) return false;
    options.mode = RunMode::PrintSky;
    ++state.modes;
  } else if (arg == "--frames") {
    if (!TakeValue(walk, error)) return false;
    if (!ParseWhole(walk.value, &options.frameCount) || options.frameCount == 0 || options.frameCount > kMaxFrames) {
      *error = "--frames needs a count from 1 to " + std::to_string(kMaxFrames) + ", not " + Quoted(walk.value);
      return false;
    }
    options.mode = RunMode::Frames;
    ++state.modes;
  } else {
    handled = false;
  }
  return true;
}

// Reads --out, --size, --data or a setting's option; any other option is an error.
bool ParseValueOption(ArgumentWalk& walk, OptionState& state, std::string* error) {
  const std::string& arg = walk.option;
  LinuxOptions& options = *state.options;
  if (arg == "--out") {
    if (!TakeValue(walk, error)) return false;
    if (walk.value.empty()) {
      *error = "--out needs a folder";
      return false;
    }
    options.outFolder = walk.value;
    state.outGiven = true;
  } else if (arg == "--size") {
    if (!TakeValue(walk, error)) return false;
    if (!ParseSize(walk.value, &options.width, &options.height)) {
      *error = "--size needs WIDTHxHEIGHT, each " + std::to_string(kMinSize) + " to " + std::to_string(kMaxSize) +
               " pixels, not " + Quoted(walk.value);
      return false;
    }
  } else if (arg == "--data") {
    if (!TakeValue(walk, error)) return false;
    if (walk.value.empty() || walk.value.size() >= kDataPathSize) {
      *error = "--data needs a folder name of 1 to " + std::to_string(kDataPathSize - 1) + " bytes";
      return false;
    }
    options.dataPath = walk.value;
  } else if (arg == "--when") {
    if (!TakeValue(walk, error)) return false;
    std::string reason;
    if (!ParseUtcMoment(walk.value, &options.whenMillis, &reason)) {
      *error = "--when needs a date such as 2031-05-04T18:30:00Z, not " + Quoted(walk.value) + " (" + reason + ")";
      options.whenRefused = true;
      return false;
    }
    options.whenGiven = true;
  } else if (arg == "--fps") {
    // As XScreenSaver's hacks take it: the frame rate shown, and printed every five seconds.
    if (!NoValue(walk, error)) return false;
    const int setting = FindSetting("--ShowFrameRate");
    options.settingValue[setting] = 1;
    options.settingGiven[setting] = true;
  } else if (const int setting = FindSetting(arg); setting >= 0) {
    if (!TakeValue(walk, error)) return false;
    const SettingDef& def = kSettingDefs[setting];
    if (!ParseWhole(walk.value, &options.settingValue[setting]) &&
        !ParseSettingChoice(def, walk.value, &options.settingValue[setting])) {
      *error = arg + (def.choices ? " needs one of " : " needs a whole number (") + RangeText(def) +
               (def.choices ? ", not " : "), not ") + Quoted(walk.value);
      return false;
    }
    options.settingGiven[setting] = true;
  } else {
    *error = "unknown option " + Quoted(walk.argv[walk.index]);
    return false;
  }
  return true;
}

// False with the error set when the modes chosen do not go together.
bool CheckModes(const OptionState& state, std::string* error) {
  const LinuxOptions& options = *state.options;
  if (state.modes > 1) {
    *error = "choose one of --fullscreen, --window-id, --root, --frames and --print-sky";
    return false;
  }
  if (options.mode == RunMode::Frames && !state.outGiven) {
    *error = "--frames needs --out DIR";
    return false;
  }
  if (state.outGiven && options.mode != RunMode::Frames) {
    *error = "--out goes with --frames";
    return false;
  }
  return true;
}

// XScreenSaver names the window to draw into in XSCREENSAVER_WINDOW: --root draws there, and so
// does a run given no mode, unless it only prints the help or the settings.
bool UseScreensaverWindow(OptionState& state, std::string* error) {
  LinuxOptions& options = *state.options;
  const char* xscreensaverWindow = std::getenv("XSCREENSAVER_WINDOW");
  const bool useEnvironment = xscreensaverWindow && xscreensaverWindow[0] &&
                              ((options.mode == RunMode::ForeignWindow && options.rootWindow) ||
                               (state.modes == 0 && !options.help && !options.configure));
  if (useEnvironment) {
    if (!ParseWindowId(xscreensaverWindow, &options.foreignWindow)) {
      *error = "XSCREENSAVER_WINDOW is not an X window id: " + Quoted(xscreensaverWindow);
      return false;
    }
    options.mode = RunMode::ForeignWindow;
  }
  return true;
}

}  // namespace

std::string SettingOptionName(const char* settingName) {
  std::string out;
  for (size_t i = 0; settingName[i]; ++i) {
    const char c = settingName[i];
    if (std::isupper(static_cast<unsigned char>(c)) && i > 0) {
      // A new word starts at a capital after a small letter ("reliefEx") or at the last capital
      // of a run that a small letter follows; "MaxPPD" stays "max-ppd".
      const bool afterLower = std::islower(static_cast<unsigned char>(settingName[i - 1]));
      const bool runEnds = std::isupper(static_cast<unsigned char>(settingName[i - 1])) &&
                           std::islower(static_cast<unsigned char>(settingName[i + 1]));
      if (afterLower || runEnds) out += '-';
    }
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string UsageText() {
  std::string text =
      "usage: redsphere [options]\n"
      "\n"
      "Shows Mars as a lit 3D globe. Without a mode option it opens a window.\n"
      "\n"
      "modes:\n"
      "  --fullscreen                the whole screen; a key, a mouse button or moving the mouse\n"
      "                              ends it (in manual control: unknown keys, the middle button)\n"
      "  --window-id ID              draw into the existing X window ID (decimal or 0x hex), as an\n"
      "                              XScreenSaver hack; XSCREENSAVER_WINDOW does the same\n"
      "  --root                      draw into XSCREENSAVER_WINDOW, else the screen's root window\n"
      "  --frames N --out DIR        render N frames of the flyby (30 per second of flight) to\n"
      "                              DIR/frame-00001.png ...; without DISPLAY on a private Xvfb\n"
      "  --size WxH                  window or picture size in pixels (window 1024x768,\n"
      "                              pictures 1280x720)\n"
      "  --print-sky                 print where the sun, the moons and the planets stand over\n"
      "                              Mars, the Mars time and the sols of Curiosity and\n"
      "                              Perseverance, one 'name value' a line, then exit; no display\n"
      "  --when DATE                 the moment to show, UTC, as 2031-05-04T18:30:00Z (1800 to\n"
      "                              2050; default now); the run shows the real sun at it\n"
      "                              (--sun-pos now) unless --sun-pos says otherwise\n"
      "  --configure                 print the settings and where they are stored, then exit\n"
      "  --fps                       show the frame rate (--show-frame-rate 1) and print it on\n"
      "                              standard output every 5 seconds\n"
      "  --help                      this text\n"
      "\n"
      "settings (for this run only; values outside a range are clamped):\n"
      "  --data DIR                  map data folder\n";
  for (const SettingDef& def : kSettingDefs) {
    std::string head = "  --" + SettingOptionName(def.name) + " " + RangeText(def);
    head.resize(head.size() < kHelpColumn ? kHelpColumn : head.size() + 1, ' ');
    const std::string defaultText = def.choices ? def.choices[def.defaultValue] : std::to_string(def.defaultValue);
    text += head + def.meaning + " (default " + defaultText + ")\n";
  }
  text +=
      "\n"
      "Stored settings: one Name=value a line in $XDG_CONFIG_HOME/redsphere/settings.conf\n"
      "(see --configure). In manual control F1 shows the keys.\n";
  return text;
}

bool ParseOptions(int argc, const char* const* argv, LinuxOptions& options, std::string* error) {
  options = LinuxOptions{};
  options.mode = RunMode::Window;
  OptionState state{&options, 0, false};
  ArgumentWalk walk{argc, argv, 1, {}, {}, false};
  for (; walk.index < argc; ++walk.index) {
    ReadArgument(walk);
    bool handled = false;
    if (!ParseModeOption(walk, state, error, handled)) return false;
    if (!handled && !ParseValueOption(walk, state, error)) return false;
  }
  return CheckModes(state, error) && UseScreensaverWindow(state, error);
}

void ApplySettingOptions(const LinuxOptions& options, SaverSettings& settings) {
  for (size_t i = 0; i < kSettingCount; ++i)
    if (options.settingGiven[i]) SetSettingValue(settings, kSettingDefs[i], options.settingValue[i]);
  // Derived from the period at every load; an option that changes the period must renew it.
  settings.TerraformPeriodSeconds = static_cast<float>(settings.TerraformPeriod) * kTerraformPeriodStep;
  if (!options.dataPath.empty()) {
    std::memcpy(settings.DataPath, options.dataPath.c_str(), options.dataPath.size() + 1);
  }
}
