// The one line of progress that a run started from a terminal prints while the map data loads;
// the window shows "Loading..." meanwhile. Nothing is printed when standard error is no terminal.
#pragma once

#include <cstdint>

struct LoadRequest;

// Starts the line: the level, the folder, and whether the derived tables will be derived this time.
void LoadProgressStart(const LoadRequest& request);
// Rewrites the elapsed time in place, at most ten times a second. Every loading frame.
void LoadProgressUpdate();
// Ends the line with the total time. Once, when the scene is ready.
void LoadProgressEnd();
