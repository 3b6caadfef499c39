// How close the keyboard transfers come to their fixed waits: a key matrix
// write (10 + 20 x 20 = 410 ms of waits) and one macro slot write
// (10 + 16 x 20 = 330 ms), against a private virtual keyboard.
// Run: build/test-session.sh start; build/wine-run.sh build/bench-bin/device_bench.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench_clock.h"
#include "device/driver_link.h"
#include "device/keyboard_commands.h"
#include "virtual_keyboard_instance.h"

namespace {

using namespace q730x;

void Report(const char* name, double floorMs, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf("%-16s floor %5.0f ms  best %7.2f ms (ratio %.4f)  median %7.2f ms (ratio %.4f)  worst ratio %.4f\n",
              name, floorMs, times.front(), times.front() / floorMs, median, median / floorMs,
              times.back() / floorMs);
}

}  // namespace

int main() {
  test::VirtualKeyboardInstance keyboard;
  if (!keyboard.Start("bench")) {
    std::fprintf(stderr, "cannot start the virtual keyboard\n");
    return 1;
  }
  CUSBDriver link;
  link.StartLink(nullptr);
  if (!OpenDriver()) {
    std::fprintf(stderr, "cannot open the virtual device\n");
    return 1;
  }
  const KeyMatrix matrix = FactoryMatrix();
  std::vector<std::uint8_t> image(kMacroImageBytes, 0x42);
  constexpr int kRounds = 9;
  bool ok = true;
  std::vector<double> matrixTimes, slotTimes;
  for (int i = 0; i < kRounds; ++i) {
    matrixTimes.push_back(bench::Milliseconds([&] { ok = WriteKeyMatrix(matrix) && ok; }));
    slotTimes.push_back(bench::Milliseconds([&] { ok = WriteMacroSlot(i % 31, image.data()) && ok; }));
  }
  if (!ok) {
    std::fprintf(stderr, "a transfer failed\n");
    return 1;
  }
  std::printf("%d rounds against the virtual keyboard (target: ratio within 1.05)\n", kRounds);
  Report("WriteKeyMatrix", 410.0, matrixTimes);
  Report("WriteMacroSlot", 330.0, slotTimes);
  link.StopLink();
  return 0;
}
