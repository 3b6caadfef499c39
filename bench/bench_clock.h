// Timing helpers shared by the benchmarks: wall time of one call, and the
// median of a set of times.
#pragma once

#include <windows.h>

#include <algorithm>
#include <vector>

namespace q730x::bench {

template <typename Work>
double Milliseconds(Work&& work) {
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&a);
  work();
  QueryPerformanceCounter(&b);
  return double(b.QuadPart - a.QuadPart) * 1000.0 / double(f.QuadPart);
}

inline double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace q730x::bench
