// Signal and X error notes for the frame loop, and the end of a run whose X connection is gone.
#include "shell/linux/run_end.h"

#include <X11/Xlib.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kErrorTextSize = 160;

// The notes the handlers leave. `signalled` is written by a signal handler on any thread; the
// rest by Xlib's handlers, which run on the main thread, and read there by the frame loop.
struct RunEnds {
  std::atomic<int> signalled;      // the signal that asked for the end, 0 before one came
  bool xError;                     // an X error came since TakeXError last looked
  char xErrorText[kErrorTextSize]; // the first such error, for the one line the program prints
  int (*connectionLost)();         // stops the threads and gives the exit status
};
RunEnds gRunEnds{};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only store a lock-free atomic");

void NoteSignal(int signal) { gRunEnds.signalled.store(signal, std::memory_order_relaxed); }

// NOTE: Xlib's default handler prints the error and calls exit(), which destroys the joinable
// std::threads and aborts. A drawable that vanished under a swap (BadDrawable in X_ShmPutImage
// on Mesa's software path) is the usual case and is expected once the window has gone.
int NoteXError(Display* display, XErrorEvent* event) {
  RunEnds& ends = gRunEnds;
  if (ends.xError) return 0;
  char name[96] = {};
  XGetErrorText(display, event->error_code, name, sizeof name);
  std::snprintf(ends.xErrorText, sizeof ends.xErrorText, "X error %s (request %u.%u) on 0x%lx", name,
                event->request_code, event->minor_code, event->resourceid);
  ends.xError = true;
  return 0;
}

// Xlib ends the process itself if this handler returns, and the connection can no longer be used
// by anyone (SDL, Mesa or the tear-down), so the run ends here once its threads are joined.
int EndWithoutConnection(Display*) {
  const int status = gRunEnds.connectionLost ? gRunEnds.connectionLost() : 0;
  std::fflush(nullptr);
  _exit(status);
}

}  // namespace

void WatchRunEnds(int (*connectionLost)()) {
  gRunEnds.connectionLost = connectionLost;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a sleep of the frame loop ends early and the loop sees the note at once.
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
  XSetErrorHandler(NoteXError);
  XSetIOErrorHandler(EndWithoutConnection);
}

bool EndSignalled() { return gRunEnds.signalled.load(std::memory_order_relaxed) != 0; }

bool TakeXError(char* text, size_t size) {
  RunEnds& ends = gRunEnds;
  if (!ends.xError) return false;
  std::snprintf(text, size, "%s", ends.xErrorText);
  ends.xError = false;
  return true;
}
