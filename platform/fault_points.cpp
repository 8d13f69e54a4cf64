// The counter behind the fault points, in the fault tests' programs only (REDSPHERE_FAULT_POINTS).
#include "platform/fault_points.h"

#include <atomic>
#include <cerrno>
#include <mutex>
#include <vector>

namespace {

// Set by the test thread between runs; counted by whichever thread makes a file call.
std::atomic<FaultPlan> gPlan{FaultPlan::Off};
std::atomic<uint32_t> gPoint{0};
std::atomic<uint32_t> gCounted{0};
std::atomic<bool> gFired{false};
// The kinds of the calls of the last run under FaultPlan::Count, by number.
std::mutex gCallsLock;
std::vector<FaultCall> gCalls;

}  // namespace

bool FillsTheDisk(FaultCall call) {
  return call == FaultCall::Create || call == FaultCall::Write || call == FaultCall::Flush;
}

bool FaultPointFails(FaultCall call) {
  const FaultPlan plan = gPlan.load();
  if (plan == FaultPlan::Off) return false;
  const uint32_t number = gCounted.fetch_add(1) + 1;
  if (plan == FaultPlan::Count) {
    const std::lock_guard<std::mutex> hold(gCallsLock);
    if (gCalls.size() < number) gCalls.resize(number);
    gCalls[number - 1] = call;
  }
  bool fails = false;
  if (plan == FaultPlan::FailOne) fails = number == gPoint.load();
  if (plan == FaultPlan::DiskFull) fails = number >= gPoint.load() && FillsTheDisk(call);
  if (!fails) return false;
  gFired.store(true);
  errno = plan == FaultPlan::DiskFull ? ENOSPC : call == FaultCall::Allocate || call == FaultCall::Map ? ENOMEM : EIO;
  return true;
}

void ArmFaultPoints(FaultPlan plan, uint32_t point) {
  gPlan.store(FaultPlan::Off);
  gPoint.store(point);
  gFired.store(false);
  if (plan != FaultPlan::Off) gCounted.store(0);
  if (plan == FaultPlan::Count) {
    const std::lock_guard<std::mutex> hold(gCallsLock);
    gCalls.clear();
  }
  gPlan.store(plan);
}

uint32_t FaultPointsCounted() { return gCounted.load(); }

bool FaultPointFired() { return gFired.load(); }

bool FaultPointCall(uint32_t point, FaultCall* call) {
  const std::lock_guard<std::mutex> hold(gCallsLock);
  if (point < 1 || point > gCalls.size()) return false;
  *call = gCalls[point - 1];
  return true;
}
