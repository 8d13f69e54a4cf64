// The X screen's monitors as RandR reports them, for the Linux program's views.
#pragma once

#include "shell/monitor_views.h"

// Every active RandR monitor's rectangle on the X screen, its pixel scale and the primary one.
// The scale is Xft.dpi / 96 where the desktop sets Xft.dpi (every monitor alike, as desktops
// apply it), else the monitor's own density from its physical size when that is believable, else
// 1. display is an X Display*; empty without RandR 1.5 (one view then).
MonitorList ReadMonitors(void* display);

// The scale a monitor of this many pixels across and millimetres wide gets from its density:
// 1 where the size is unknown (0) or gives an unbelievable density (a projector, a missing EDID).
float ScaleFromSize(int32_t pixels, int32_t millimetres);
