// The power source as the kernel's power-supply classes tell it, from folders laid out as
// /sys/class/power_supply is.
#include "shell/linux/power_linux.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "tests/support/temp_folder.h"

namespace {

void Supply(const TempFolder& folder, const std::string& name, const std::map<std::string, std::string>& values) {
  std::filesystem::create_directories(folder / name);
  for (const auto& [key, value] : values) std::ofstream(folder / name / key) << value << "\n";
}

TEST(Power, OnBatteryOnlyWithABatteryAndNoOutsideSupplyOnline) {
  struct Case {
    const char* what;
    std::string acOnline;    // "" no mains supply at all
    std::string battery;     // "" no battery
    bool onBattery;
  } cases[] = {
      {"a desktop: mains only", "1", "", false},
      {"a laptop on its charger", "1", "Charging", false},
      {"a laptop unplugged", "0", "Discharging", true},
      {"a tablet with no mains class", "", "Discharging", true},
      {"a full battery, unplugged a moment ago", "0", "Full", true},
      {"a battery charging from a USB charger", "", "Charging", false},
      {"a machine with neither", "", "", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    if (!c.acOnline.empty()) Supply(folder, "AC", {{"type", "Mains"}, {"online", c.acOnline}});
    if (!c.battery.empty()) Supply(folder, "BAT0", {{"type", "Battery"}, {"status", c.battery}});
    EXPECT_EQ(OnBatteryIn(folder.str().c_str()), c.onBattery);
  }
  EXPECT_FALSE(OnBatteryIn("/no/such/folder"));
}

}  // namespace
