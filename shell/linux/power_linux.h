// What the Linux program asks of the machine's power: whether the X server has turned the
// displays off (DPMS) and whether the machine runs on battery.
#pragma once

// The displays are in a DPMS power-saving state (standby, suspend or off). False where the X
// server lacks the extension or has DPMS disabled. display is an X Display*.
bool DisplaysOff(void* display);
// No outside supply (mains, USB) is online and a battery is there and not charging, as the
// kernel's power-supply classes in `folder` (normally /sys/class/power_supply) tell. False when
// the folder has neither.
bool OnBatteryIn(const char* folder);
