// Fuzz target of the Linux program's command line: the fuzzer's bytes, split at zero bytes, are
// the arguments after the program's name; one that starts "XSCREENSAVER_WINDOW=" sets that
// variable instead, as XScreenSaver does. A command line is either refused with one line that
// says why, or gives options that go together and settings within their ranges.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "settings/saver_settings.h"
#include "shell/linux/options.h"
#include "tests/support/user_folders.h"

namespace {

constexpr size_t kMaxArguments = 64;
constexpr char kWindowVariable[] = "XSCREENSAVER_WINDOW=";

void CheckOptions(const LinuxOptions& options) {
  if (options.mode == RunMode::Frames)
    FuzzCheck(options.frameCount >= 1 && !options.outFolder.empty(), "--frames comes with a count and a folder");
  else
    FuzzCheck(options.outFolder.empty(), "--out comes only with --frames");
  if (options.mode == RunMode::ForeignWindow)
    FuzzCheck(options.rootWindow || options.foreignWindow != 0, "a foreign window is named or is the root");
  FuzzCheck((options.width == 0 && options.height == 0) || (options.width >= 16 && options.height >= 16 &&
                                                            options.width <= 16384 && options.height <= 16384),
            "a size is given whole and within the viewport limits");
  FuzzCheck(options.dataPath.size() < kDataPathSize, "the data folder fits the settings record");

  SaverSettings settings = DefaultSaverSettings();
  ApplySettingOptions(options, settings);
  for (const SettingDef& def : kSettingDefs) {
    const uint32_t value = SettingValue(settings, def);
    FuzzCheck(value >= def.minValue && value <= def.maxValue, "every setting lies within its range");
  }
  FuzzCheck(std::memchr(settings.DataPath, '\0', sizeof settings.DataPath) != nullptr,
            "the data folder stays terminated");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> pieces;
  pieces.emplace_back();
  for (size_t i = 0; i < size && pieces.size() <= kMaxArguments; ++i) {
    if (data[i] == '\0') pieces.emplace_back();
    else pieces.back() += static_cast<char>(data[i]);
  }
  SetEnvironment("XSCREENSAVER_WINDOW", nullptr);
  std::vector<const char*> argv = {"redsphere"};
  for (const std::string& piece : pieces) {
    if (piece.rfind(kWindowVariable, 0) == 0) SetEnvironment("XSCREENSAVER_WINDOW", piece.c_str() + sizeof kWindowVariable - 1);
    else argv.push_back(piece.c_str());
  }

  LinuxOptions options;
  std::string error;
  if (ParseOptions(static_cast<int>(argv.size()), argv.data(), options, &error)) {
    CheckOptions(options);
  } else {
    FuzzCheck(!error.empty(), "a refused command line says why");
    FuzzCheck(error.find('\n') == std::string::npos, "the reason is one line");
  }
  return 0;
}
