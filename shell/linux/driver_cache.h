// The graphics driver's own disk cache, kept off a file system that has no room for it.
#pragma once

// Before the first OpenGL context: when the file system of Mesa's shader cache folder has almost
// no room left, turns that cache off for this run (MESA_SHADER_CACHE_DISABLE) and says so in one
// line. Does nothing when the user has set MESA_SHADER_CACHE_DISABLE. Window thread, once.
void KeepDriverCacheOffAFullDisk();
