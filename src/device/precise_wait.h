// Waits that are minimums with little overshoot, for the keyboard's pacing.
#pragma once

#include <windows.h>

namespace q730x {

// Returns no earlier than milliseconds after the call.
void WaitAtLeast(unsigned milliseconds);

// Raises the system timer resolution to 1 ms while it lives. The default
// granularity (about 15.6 ms) would stretch every 10 and 20 ms wait of a
// transfer; raising it only for the transfer keeps the rest of the run cheap.
class TimerResolutionScope {
 public:
  TimerResolutionScope();
  ~TimerResolutionScope();
  TimerResolutionScope(const TimerResolutionScope&) = delete;
  TimerResolutionScope& operator=(const TimerResolutionScope&) = delete;

 private:
  bool raised_;
};

}  // namespace q730x
