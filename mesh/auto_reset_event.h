// A portable auto-reset event over a mutex and a condition variable: one Set releases exactly one
// Wait (or the next one, if nobody waits yet), and the event clears itself as it releases it.
#pragma once

#include <condition_variable>
#include <mutex>

struct AutoResetEvent {
  std::mutex mutex;                 // guards `signalled`
  std::condition_variable wake;     // waiters sleep here
  bool signalled = false;           // set and not yet taken by a Wait
};

// Puts the event into its initial state; only while no thread waits on it.
void EventReset(AutoResetEvent& event, bool signalled);
void EventSet(AutoResetEvent& event);
// Blocks, without a time limit, until the event is set, then clears it.
void EventWait(AutoResetEvent& event);
