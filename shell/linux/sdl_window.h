// The Linux program's saver window: an SDL2 window (or an X window of someone else's) with its
// OpenGL context, and the loop that turns SDL events into the saver core's calls as
// the Windows window procedure does with its messages.
#pragma once

#include "shell/linux/options.h"

// Runs the saver in the mode options ask for, with gSaverSettings already loaded, the command
// line applied and the level chosen. Returns the exit status: 0 when the run ends normally, 1
// when no display, window or OpenGL context can be had (one line on stderr says which). Bad map
// data ends the process from the loader thread with status 1. Main thread.
int RunSaverWindow(const LinuxOptions& options);
