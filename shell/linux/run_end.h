// How a run of the Linux program is ended from outside: SIGTERM, SIGINT and SIGHUP (XScreenSaver,
// a terminal), X errors (its window taken away while a frame still draws into it) and the loss of
// the X connection. Signals and errors only leave notes that the frame loop reads, so the run
// still ends through its usual tear-down, with the loader and the mesh worker joined.
#pragma once

#include <cstddef>

// Installs the signal handlers and Xlib's error and I/O error handlers. When the X connection is
// lost no X call can be made any more: the I/O error handler calls connectionLost, which must
// stop and join the threads without touching X or OpenGL, and ends the process with the status
// it returns. Main thread, before SDL starts: SDL then leaves the signals to the program and
// passes X errors on to this handler.
void WatchRunEnds(int (*connectionLost)());

// A signal asked the run to end. Any thread.
bool EndSignalled();

// True when an X error has been reported since the last call; *text (size bytes) then describes
// the first of them. Main thread (Xlib reports errors on the thread whose call reads them, and
// only the main thread calls Xlib).
bool TakeXError(char* text, size_t size);
