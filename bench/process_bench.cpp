// The utility as a process against the barest tray program (bare_tray.exe),
// in the same run: the time from the start to the notification-area icon,
// the private memory once running (the utility with both pages opened), and
// the time from the exit request to the process being gone. Under Wine the
// icon's arrival is seen from outside by asking the shell to change nothing
// about it, which it accepts only for an icon it holds.
// Run: build/test-session.sh start; build/wine-run.sh build/bench-bin/process_bench.exe
#include <windows.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "virtual_keyboard_instance.h"

namespace {

using q730x::bench::Median;

// Whether the shell holds the icon `id` of `window`: a change that changes
// nothing is accepted only for an icon it has. This holds however the shell
// shows its icons (under Wine: windows of their own, or inside its tray
// window, depending on the desktop).
bool HasTrayIcon(HWND window, UINT id) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = id;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) * 1000.0 / double(f.QuadPart);
}

struct Run {
  double toIconMs = 0, privateMb = 0, exitMs = 0;
};

// Every window of the thread that owns `main`, children included.
int WindowsOfThread(HWND main) {
  int count = 0;
  const auto countTop = [](HWND top, LPARAM c) -> BOOL {
    ++*reinterpret_cast<int*>(c);
    EnumChildWindows(top, [](HWND, LPARAM n) -> BOOL { return ++*reinterpret_cast<int*>(n), TRUE; }, c);
    return TRUE;
  };
  EnumThreadWindows(GetWindowThreadProcessId(main, nullptr), countTop, LPARAM(&count));
  return count;
}

// Starts exe, waits for one more tray icon, lets opened() run, measures the
// private memory, asks it to end with closeRequest and waits for the process.
template <typename Opened>
bool Measure(const std::wstring& exe, const wchar_t* windowClass, UINT iconId, UINT closeRequest, Opened opened,
             Run& run, const std::wstring& arguments = L"") {
  std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  const double start = Now();
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return false;
  HWND window = nullptr;
  while (Now() - start < 30000) {
    if (!window) window = FindWindowW(windowClass, nullptr);
    if (window && HasTrayIcon(window, iconId)) break;
    Sleep(1);
  }
  run.toIconMs = Now() - start;
  if (!window || !HasTrayIcon(window, iconId)) {
    TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return false;
  }
  opened(window);
  Sleep(500);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  GetProcessMemoryInfo(info.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
  // Wine leaves PrivateUsage at 0; its commit charge is the same figure there.
  run.privateMb = double(memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage) / 1048576.0;
  const double exitStart = Now();
  PostMessageW(window, closeRequest, 0, 0);
  WaitForSingleObject(info.hProcess, 30000);
  run.exitMs = Now() - exitStart;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

// Clicks a button of the main window by the point it covers.
void Click(HWND main, POINT at) {
  if (HWND button = ChildWindowFromPoint(main, at); button && button != main)
    SendMessageW(main, WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(button));
}

}  // namespace

int main() {
  q730x::test::VirtualKeyboardInstance keyboard;
  if (!keyboard.Start("process-bench")) {
    std::fprintf(stderr, "cannot start the virtual keyboard\n");
    return 1;
  }
  const std::wstring dist = q730x::test::DistFolder();
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring bare = self;
  bare = bare.substr(0, bare.find_last_of(L'\\') + 1) + L"bare_tray.exe";

  constexpr int kRuns = 5;
  std::vector<double> bareIcon, bareMemory, bareExit, ourIcon, ourMemory, ourExit, manyIcon, manyExit;
  int windows = 0;
  for (int i = 0; i < kRuns; ++i) {
    Run b, u, m;
    if (!Measure(bare, L"Q730XBareTray", 1, WM_CLOSE, [](HWND) {}, b)) return std::fprintf(stderr, "bare_tray failed\n"), 1;
    const auto openBothPages = [&windows](HWND main) {
      PostMessageW(main, 0x707, 0, 0);  // open, as the tray icon does
      Sleep(500);
      Click(main, {105, 72});  // the macro page
      Sleep(500);
      Click(main, {62, 72});   // the keyboard page
      Sleep(100);
      windows = WindowsOfThread(main);
    };
    if (!Measure(dist + L"Q730X.exe", L"Q730XMainWindow", 128, 0x700, openBothPages, u))
      return std::fprintf(stderr, "the utility failed\n"), 1;
    // The bare program again, with as many windows as the utility has.
    if (!Measure(bare, L"Q730XBareTray", 1, WM_CLOSE, [](HWND) {}, m, std::to_wstring(windows)))
      return std::fprintf(stderr, "bare_tray with windows failed\n"), 1;
    manyIcon.push_back(m.toIconMs), manyExit.push_back(m.exitMs);
    bareIcon.push_back(b.toIconMs), bareMemory.push_back(b.privateMb), bareExit.push_back(b.exitMs);
    ourIcon.push_back(u.toIconMs), ourMemory.push_back(u.privateMb), ourExit.push_back(u.exitMs);
  }
  const double bi = Median(bareIcon), ui = Median(ourIcon), bm = Median(bareMemory), um = Median(ourMemory);
  const double be = Median(bareExit), ue = Median(ourExit);
  std::printf("medians of %d runs, utility against bare_tray.exe in the same run\n", kRuns);
  std::printf("start to tray icon   utility %7.1f ms   bare %7.1f ms   ratio %.2f (target <= 2)\n", ui, bi, ui / bi);
  std::printf("private memory       utility %7.1f MB   bare %7.1f MB   target %.1f MB (1.5 x bare + 8 MB)\n", um, bm,
              1.5 * bm + 8);
  std::printf("exit to process gone utility %7.1f ms   bare %7.1f ms   ratio %.2f (target <= 1.5)\n", ue, be, ue / be);
  const double mi = Median(manyIcon), me = Median(manyExit);
  std::printf("bare_tray.exe with the utility's %d windows (plain child buttons): start to icon %.1f ms (ratio %.2f "
              "to bare), exit %.1f ms (ratio %.2f)\n", windows, mi, mi / bi, me, me / be);
  return 0;
}
