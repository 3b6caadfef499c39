// How close the keyboard transfers come to their fixed waits, against a
// private virtual keyboard: a key matrix write (10 + 20 x 20 = 410 ms of
// waits), one macro slot write (10 + 16 x 20 = 330 ms), and whole
// configuration downloads with 0 and with 30 macro keys (20 + 10 + 410 + 300
// ms of waits, plus 330 ms per macro).
// Run: build/test-session.sh start; build/wine-run.sh build/bench-bin/device_bench.exe
// It rewrites HKLM\Software\KAVEX\Q730X of the build's own Wine prefix.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench_clock.h"
#include "bench_macros.h"
#include "device/configuration_download.h"
#include "device/driver_link.h"
#include "device/keyboard_commands.h"
#include "device/precise_wait.h"
#include "model/key_layout_table.h"
#include "model/macro_record.h"
#include "model/macro_store.h"
#include "model/profile_buffers.h"
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

// The profile buffers with the first `macros` keys of the layout playing
// macros of their own, stored in the registry.
void PrepareMacroKeys(int macros) {
  buffers::ClearAll();
  buffers::KeyMatrix = DefaultMatrix;
  for (int entry = 0; entry < macros; ++entry) {
    const int p = KeyLayoutTable[std::size_t(entry)].position;
    bench::GiveStoredMacro(p, 0x6200 + std::uint32_t(entry));
  }
}

// One download on this thread, as the worker runs it; false when it failed.
bool TimedDownload(HWND page, double& ms) {
  auto share = std::make_shared<DownloadShare>();
  auto job = std::make_shared<DownloadJob>();
  job->snapshot = SnapshotOfBuffers(0);
  ms = bench::Milliseconds([&] { RunDownload(DownloadTarget{page, share, job}, nullptr); });
  MSG message;
  bool done = false;
  while (PeekMessageW(&message, page, 0, 0, PM_REMOVE)) done = done || message.message == WM_DOWNLOAD_DONE;
  return done;
}

// Where the last download's time went beyond its waits, from the keyboard's
// log (stamped on arrival): the gaps between requests, less the wait each
// gap must hold, summed by the kind of gap.
void ReportGaps(const std::vector<test::LogLine>& log, std::size_t from) {
  double afterCommand = 0, betweenChunks = 0, betweenBlocks = 0;
  int commands = 0, chunks = 0, blocks = 0;
  const test::LogLine* previous = nullptr;
  for (std::size_t i = from; i < log.size(); ++i) {
    const test::LogLine& line = log[i];
    if (!line.Has("code=0x22240C") || line.Has("dir=1") || line.Has("refused")) continue;  // requests to the keyboard
    const bool chunk = !line.Has("len=8 ");
    if (previous) {
      const double gap = line.t - previous->t;
      const bool previousChunk = !previous->Has("len=8 ");
      // The first chunk waits for its command and then as every chunk does.
      if (chunk && !previousChunk) afterCommand += gap - kWaitAfterCommandMs - kWaitBeforeChunkMs, ++commands;
      else if (chunk) betweenChunks += gap - kWaitBeforeChunkMs, ++chunks;
      else betweenBlocks += gap, ++blocks;
    }
    previous = &line;
  }
  std::printf("  beyond the waits: %.1f ms over %d command-to-chunk gaps, %.1f ms over %d chunk gaps, "
              "%.1f ms between %d blocks\n", afterCommand, commands, betweenChunks, chunks, betweenBlocks, blocks);
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
  std::printf("%d rounds against the virtual keyboard (targets: transfers within 1.05, downloads within 1.03)\n", kRounds);
  Report("WriteKeyMatrix", 410.0, matrixTimes);
  Report("WriteMacroSlot", 330.0, slotTimes);

  // Where a transfer's time goes beyond its waits: the paced wait itself and
  // the round trip of one request to the keyboard.
  std::vector<double> waits, trips;
  for (int i = 0; i < 20; ++i) {
    {
      TimerResolutionScope resolution;
      waits.push_back(bench::Milliseconds([] { WaitAtLeast(kWaitBeforeChunkMs); }));
    }
    trips.push_back(bench::Milliseconds([] { SendCommand(MakeQueryCommand(CMD_READ_REPORT_INTERVAL)); }));
    DeviceCommand reply{};
    ReadCommand(reply);
  }
  std::printf("a %u ms paced wait: median %.3f ms, worst %.3f; one request's round trip: median %.3f ms, worst %.3f\n",
              kWaitBeforeChunkMs, bench::Median(waits), *std::max_element(waits.begin(), waits.end()),
              bench::Median(trips), *std::max_element(trips.begin(), trips.end()));

  // Whole downloads: the worker's own waits (20 ms before the first report,
  // 10 ms before the matrix, 300 ms before the result) and the transfers'.
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\KAVEX\\Q730X");
  BuildDefaultMatrix();
  HWND page = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  for (const auto& [macros, rounds] : {std::pair{0, 7}, std::pair{30, 3}}) {
    std::vector<double> times;
    std::size_t logStart = 0;
    for (int i = 0; i < rounds; ++i) {
      PrepareMacroKeys(macros);
      logStart = keyboard.Log().size();
      double ms = 0;
      if (!TimedDownload(page, ms)) return std::fprintf(stderr, "a download failed\n"), 1;
      times.push_back(ms);
    }
    char name[32];
    std::snprintf(name, sizeof name, "download, %d macros", macros);
    Report(name, 740.0 + 330.0 * macros, times);
    ReportGaps(keyboard.Log(), logStart);
  }
  DestroyWindow(page);
  link.StopLink();
  return 0;
}
