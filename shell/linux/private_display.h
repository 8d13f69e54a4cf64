// A private Xvfb server for --frames on a machine without a display: started on a display number
// it picks itself, and ended with the program (also when loading ends the process at once).
#pragma once

#include <sys/types.h>

#include <string>

struct PrivateDisplay {
  pid_t server;  // the Xvfb process, 0 when none runs
};

// Starts Xvfb with one screen of width x height and points DISPLAY at it. False, with the reason
// in *why, when Xvfb is missing or does not come up. Main thread, before SDL starts.
bool StartPrivateDisplay(int width, int height, PrivateDisplay& display, std::string* why);
// Ends the server and waits for it.
void StopPrivateDisplay(PrivateDisplay& display);
