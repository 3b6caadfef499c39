#include "device/precise_wait.h"

#include <mmsystem.h>

namespace q730x {

void WaitAtLeast(unsigned milliseconds) {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  const LONGLONG deadline = now.QuadPart + frequency.QuadPart * milliseconds / 1000;
  // Sleep until about a millisecond before the deadline (Sleep may overshoot
  // by a timer tick, and on some systems wake a little early), then spin to
  // the deadline itself. Spinning, not yielding: on a busy machine a yield
  // hands the processor to another program for a whole time slice, and every
  // paced chunk came late by milliseconds.
  for (;;) {
    QueryPerformanceCounter(&now);
    const LONGLONG left = deadline - now.QuadPart;
    if (left <= 0) return;
    const LONGLONG leftMs = left * 1000 / frequency.QuadPart;
    if (leftMs >= 2)
      Sleep(static_cast<DWORD>(leftMs - 1));
    else
      YieldProcessor();
  }
}

TimerResolutionScope::TimerResolutionScope() : raised_(timeBeginPeriod(1) == TIMERR_NOERROR) {}

TimerResolutionScope::~TimerResolutionScope() {
  if (raised_) timeEndPeriod(1);
}

}  // namespace q730x
