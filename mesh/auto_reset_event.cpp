// The auto-reset event behind the mesh hand-over.
#include "mesh/auto_reset_event.h"

void EventReset(AutoResetEvent& event, bool signalled) {
  std::lock_guard<std::mutex> lock(event.mutex);
  event.signalled = signalled;
}

void EventSet(AutoResetEvent& event) {
  {
    std::lock_guard<std::mutex> lock(event.mutex);
    event.signalled = true;
  }
  event.wake.notify_one();
}

void EventWait(AutoResetEvent& event) {
  std::unique_lock<std::mutex> lock(event.mutex);
  event.wake.wait(lock, [&] { return event.signalled; });
  event.signalled = false;
}
