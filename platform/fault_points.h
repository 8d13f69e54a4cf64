// Fault points: the file calls of the platform floor (open, create, read, write, flush, replace,
// map) and the map tables' allocations each ask FaultPointFails first, so a test program can make
// the Nth such call fail, or make the disk full from the Nth call on, and check what the program
// does about it. Only a program compiled with REDSPHERE_FAULT_POINTS (the fault tests, which
// compile the calling files again with it) has the counter; everywhere else FaultPointFails is a
// constant false, so the check compiles to nothing and the shipped programs hold no trace of it.
#pragma once

#include <cstdint>

enum class FaultCall : uint8_t {
  Open,      // a file opened for reading
  Create,    // a file opened for writing
  Read,      // bytes read from an open file
  Write,     // bytes written to an open file
  Flush,     // buffered bytes handed to the system or put on the disk, and the close that does it
  Replace,   // a finished file moved over its final name
  Map,       // a file mapped into memory
  Allocate,  // a map table's memory
};

#if defined(REDSPHERE_FAULT_POINTS)

// Counts the call; true when the armed plan makes it fail, with errno set to the reason the
// caller reports (EIO, ENOSPC for a full disk, ENOMEM for memory). Any thread.
bool FaultPointFails(FaultCall call);
// Whether a full disk fails a call of this kind (a create, a write, a flush).
bool FillsTheDisk(FaultCall call);

enum class FaultPlan : uint8_t {
  Off,       // neither count nor fail (between runs)
  Count,     // count only, and note which calls a full disk fails
  FailOne,   // the call numbered `point` fails; the rest work
  DiskFull,  // from the call numbered `point` on, every create, write and flush fails (ENOSPC)
};
// Starts counting calls from 1 under a plan (none with Off).
void ArmFaultPoints(FaultPlan plan, uint32_t point);
// Calls counted since ArmFaultPoints, and whether the plan made any fail.
uint32_t FaultPointsCounted();
bool FaultPointFired();
// The kind of the call numbered `point` of the last run under FaultPlan::Count; false past its end.
bool FaultPointCall(uint32_t point, FaultCall* call);

#else

constexpr bool FaultPointFails(FaultCall) { return false; }

#endif
