// From a key press on the keyboard to the process its action starts: the real
// utility, a key that runs a program (kind 7), and the virtual keyboard. Each
// press is timed from just before the virtual keyboard is told to press the
// key to the creation time of the started process; in the same run the same
// program is started with ShellExecuteW directly, the least any key action
// costs.
// Run: build/test-session.sh start; build/wine-run.sh build/bench-bin/key_event_bench.exe
// It rewrites HKLM\Software\KAVEX\Q730X of the build's own Wine prefix.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "device/driver_link.h"
#include "device/keyboard_commands.h"
#include "model/key_code.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "model/program_folder.h"
#include "utility_process.h"
#include "virtual_keyboard_instance.h"

namespace {

using namespace q730x;

constexpr int kKey = 5;  // position 5 runs the probe
constexpr int kRounds = 25;

unsigned long long PreciseNow() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  return (unsigned long long)now.dwHighDateTime << 32 | now.dwLowDateTime;
}

// The probe's lines so far.
std::vector<unsigned long long> ProbeTimes(const std::wstring& file) {
  std::vector<unsigned long long> times;
  std::ifstream in(std::string(file.begin(), file.end()));
  for (unsigned long long t; in >> t;) times.push_back(t);
  return times;
}

// Waits for the probe's next line; milliseconds from `since` to its
// creation, or -1.
double NextStart(const std::wstring& file, std::size_t seen, unsigned long long since) {
  for (int i = 0; i < 1000; ++i) {
    const std::vector<unsigned long long> times = ProbeTimes(file);
    if (times.size() > seen) return double(times.back() - since) / 10000.0;
    Sleep(5);
  }
  return -1;
}

}  // namespace

int main() {
  test::VirtualKeyboardInstance keyboard;
  if (!keyboard.Start("key-event-bench")) return std::fprintf(stderr, "no virtual keyboard\n"), 1;
  const std::wstring dist = test::DistFolder();
  const std::wstring probe = test::TestFolder() + L"started_probe.exe";
  const std::wstring probeFile = test::TestFolder() + L"started_probe.times";
  DeleteFileW(probeFile.c_str());
  SetEnvironmentVariableW(L"Q730X_PROBE_FILE", probeFile.c_str());

  // The store: key 5 of profile 1 runs the probe.
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\KAVEX\\Q730X");
  SetProgramFolder(dist);
  BuildDefaultMatrix();
  CreateMissingProfiles();
  LoadProfile(0);
  buffers::KeyMatrix[kKey] = KeyCode::FromValue(0xC7000003u | kKey << 16);
  buffers::AuxInfo[kKey].SetText(std::u16string(probe.begin(), probe.end()));
  SaveProfile(0);
  // The keyboard gets the same matrix, as an Apply would give it.
  {
    CUSBDriver link;
    link.StartLink(nullptr);
    if (!OpenDriver() || !WriteKeyMatrix(buffers::KeyMatrix))
      return std::fprintf(stderr, "cannot write the key matrix\n"), 1;
    link.StopLink();
  }

  test::Utility utility;
  const ULONGLONG end = GetTickCount64() + 20000;
  while (keyboard.DumpField("registered") != "1" && GetTickCount64() < end) Sleep(50);
  if (keyboard.DumpField("registered") != "1") return std::fprintf(stderr, "the utility did not open the driver\n"), 1;
  Sleep(1000);  // start-up settles

  std::vector<double> viaKey, direct;
  for (int round = 0; round < kRounds; ++round) {
    std::size_t seen = ProbeTimes(probeFile).size();
    unsigned long long since = PreciseNow();
    keyboard.Admin("press " + std::to_string(kKey));
    viaKey.push_back(NextStart(probeFile, seen, since));
    Sleep(100);

    seen = ProbeTimes(probeFile).size();
    since = PreciseNow();
    ShellExecuteW(nullptr, L"open", probe.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    direct.push_back(NextStart(probeFile, seen, since));
    Sleep(100);
  }
  for (double t : viaKey)
    if (t < 0) return std::fprintf(stderr, "a press started nothing\n"), 1;

  // Where the time goes: the virtual keyboard's log has the press and the
  // utility's event read on one clock.
  std::vector<double> delivery;
  double queuedAt = -1;
  for (const test::LogLine& line : keyboard.Log()) {
    if (line.Has("queued 1 events")) queuedAt = line.t;
    if (line.Has("code=0x222408") && queuedAt >= 0) delivery.push_back(line.t - queuedAt), queuedAt = -1;
  }

  const double key = bench::Median(viaKey), shell = bench::Median(direct);
  std::printf("%d presses against the real utility (target: median within 20 ms)\n", kRounds);
  std::printf("key press to process created   median %7.2f ms  best %7.2f  worst %7.2f\n", key,
              *std::min_element(viaKey.begin(), viaKey.end()), *std::max_element(viaKey.begin(), viaKey.end()));
  std::printf("ShellExecuteW to process created median %7.2f ms\n", shell);
  std::printf("ratio key / direct %.2f\n", key / shell);
  if (!delivery.empty())
    std::printf("of which event queued to the utility's event read: median %.2f ms (%zu reads)\n",
                bench::Median(delivery), delivery.size());
  PostMessageW(FindWindowW(L"Q730XMainWindow", nullptr), WM_COMMAND, 0x6001, 0);
  utility.Ended(15000);
  return 0;
}
