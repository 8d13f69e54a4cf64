// The Linux program's power questions: DPMS through Xext, the power source through sysfs.
#include "shell/linux/power_linux.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string FirstLine(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  return line;
}

}  // namespace

bool DisplaysOff(void* display) {
  Display* x = static_cast<Display*>(display);
  int eventBase = 0, errorBase = 0;
  if (!x || !DPMSQueryExtension(x, &eventBase, &errorBase) || !DPMSCapable(x)) return false;
  CARD16 level = DPMSModeOn;
  BOOL enabled = False;
  return DPMSInfo(x, &level, &enabled) && enabled && level != DPMSModeOn;
}

bool OnBatteryIn(const char* folder) {
  std::error_code error;
  bool battery = false;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string type = FirstLine(entry.path() / "type");
    // Any outside supply online (mains, a USB charger) powers the machine.
    if (type != "Battery" && FirstLine(entry.path() / "online") == "1") return false;
    if (type == "Battery" && FirstLine(entry.path() / "status") != "Charging") battery = true;
  }
  return battery;
}
