#include "device/precise_wait.h"

#include <mmsystem.h>

namespace q730x {

void WaitAtLeast(unsigned milliseconds) {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  const LONGLONG deadline = now.QuadPart + frequency.QuadPart * milliseconds / 1000;
  // Sleep may wake a little early on some systems; sleep again for the rest.
  for (;;) {
    QueryPerformanceCounter(&now);
    const LONGLONG left = deadline - now.QuadPart;
    if (left <= 0) return;
    const LONGLONG leftMs = (left * 1000 + frequency.QuadPart - 1) / frequency.QuadPart;
    Sleep(static_cast<DWORD>(leftMs));
  }
}

TimerResolutionScope::TimerResolutionScope() : raised_(timeBeginPeriod(1) == TIMERR_NOERROR) {}

TimerResolutionScope::~TimerResolutionScope() {
  if (raised_) timeEndPeriod(1);
}

}  // namespace q730x
