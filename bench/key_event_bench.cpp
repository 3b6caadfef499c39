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

// Waits (at most 5 s) for the probe's next line; milliseconds from `since`
// to its creation, or -1.
double NextStart(const std::wstring& file, std::size_t seen, unsigned long long since) {
  const ULONGLONG end = GetTickCount64() + 5000;
  do {
    const std::vector<unsigned long long> times = ProbeTimes(file);
    if (times.size() > seen) return double(times.back() - since) / 10000.0;
    Sleep(2);
  } while (GetTickCount64() < end);
  return -1;
}

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // lines show as they come, also through a pipe
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
  // The profile file too: at start-up a complete file wins over the
  // registry, and one left by an earlier run (the tests write them) would
  // take the probe off the key, so that no press starts anything.
  ExportProfileFiles(0);
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
  // Start-up goes on after the driver opens (the pages, the tray icon): a
  // press before it ends waits for it, which is start-up time, not the
  // press's. The main window answers a message once its thread is idle.
  HWND main = nullptr;
  for (const ULONGLONG until = GetTickCount64() + 20000; !main && GetTickCount64() < until; Sleep(20))
    main = FindWindowW(L"Q730XMainWindow", nullptr);
  DWORD_PTR answer = 0;
  if (!main || !SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 20000, &answer))
    return std::fprintf(stderr, "the utility did not finish starting\n"), 1;

  // Each press is timed from just before the admin command; the keyboard's
  // log stamps the press and the utility's event read on its own clock,
  // placed on ours at the middle of the admin command.
  std::vector<double> viaKey, direct, admin, delivery, toProcess, idle;
  for (int round = 0; round < kRounds; ++round) {
    std::size_t seen = ProbeTimes(probeFile).size();
    std::string reply;
    const unsigned long long since = PreciseNow();
    const bool pressed = keyboard.Admin("press " + std::to_string(kKey), &reply);
    const unsigned long long answered = PreciseNow();
    // A press that queued no event starts nothing: say why at once instead
    // of waiting for every round to time out.
    if (!pressed || reply.find("queued 1 events") == std::string::npos)
      return std::fprintf(stderr, "press %d queued no event: %s\n", round, reply.c_str()), 1;
    const double started = NextStart(probeFile, seen, since);
    if (started < 0) {
      const bool read = !keyboard.LogWith("code=0x222408").empty();
      return std::fprintf(stderr, "press %d started nothing within 5 s (the utility %s the event)\n", round,
                          read ? "read" : "never read"), 1;
    }
    viaKey.push_back(started);
    admin.push_back(double(answered - since) / 10000.0);
    double queuedAt = -1, readAt = -1;
    for (const test::LogLine& line : keyboard.Log()) {
      if (line.Has("queued 1 events")) queuedAt = line.t, readAt = -1;
      if (line.Has("code=0x222408") && queuedAt >= 0 && readAt < 0) readAt = line.t;
    }
    if (queuedAt >= 0 && readAt >= 0) {
      delivery.push_back(readAt - queuedAt);
      // The press is placed at the middle of the admin command.
      toProcess.push_back(started - (admin.back() / 2 + (readAt - queuedAt)));
    }
    Sleep(100);

    seen = ProbeTimes(probeFile).size();
    const unsigned long long directSince = PreciseNow();
    ShellExecuteW(nullptr, L"open", probe.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    const double directStart = NextStart(probeFile, seen, directSince);
    if (directStart < 0) return std::fprintf(stderr, "ShellExecuteW started nothing within 5 s\n"), 1;
    direct.push_back(directStart);
    idle.push_back(bench::Milliseconds([&] { SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &answer); }));
    std::fprintf(stderr, "press %2d: %7.2f ms (direct %7.2f)\n", round, started, directStart);
    Sleep(100);
  }

  const double key = bench::Median(viaKey), shell = bench::Median(direct);
  std::printf("%d presses against the real utility (target: median within 20 ms)\n", kRounds);
  std::printf("key press to process created     median %7.2f ms  best %7.2f  worst %7.2f\n", key,
              *std::min_element(viaKey.begin(), viaKey.end()), *std::max_element(viaKey.begin(), viaKey.end()));
  std::printf("ShellExecuteW to process created median %7.2f ms  best %7.2f  worst %7.2f\n", shell,
              *std::min_element(direct.begin(), direct.end()), *std::max_element(direct.begin(), direct.end()));
  std::printf("ratio key / direct %.2f\n", key / shell);
  std::printf("where a press goes: admin command to the keyboard median %.2f ms\n", bench::Median(admin));
  if (!delivery.empty()) {
    std::printf("  event queued to the utility's event read  median %.2f ms (%zu reads)\n",
                bench::Median(delivery), delivery.size());
    std::printf("  event read to process created (post, page, shell) median %.2f ms\n",
                bench::Median(toProcess));
  }
  std::printf("  a message to the utility's window and back (its thread's answer) median %.2f ms\n",
              bench::Median(idle));
  PostMessageW(main, WM_COMMAND, 0x6001, 0);
  utility.Ended(15000);
  return 0;
}
