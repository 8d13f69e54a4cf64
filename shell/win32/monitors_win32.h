// The desktop's monitors as Windows reports them, for the saver window's views.
#pragma once

#include "shell/monitor_views.h"

// Every monitor's rectangle in virtual-screen pixels, its pixel scale (its effective DPI where the
// system gives one per monitor, else the system's) and which one is primary. Empty when the
// system lists none; the window then shows one view.
MonitorList ReadMonitors();
