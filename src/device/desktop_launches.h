// The launches that go through the desktop's shell (a key's program, file,
// folder, address or the capture tool), run on a worker thread of their own:
// each is a chain of cross-process COM calls to Explorer without a time
// limit, and a stalled Explorer (a dead network drive, a bad shell
// extension) must never stall the user-interface thread, nor let COM's wait
// dispatch a second action, a click or a close inside the first.
//
// The worker is a single-threaded apartment with a message loop, as the
// shell's objects expect, and takes the launches from a queue in their
// order. The caller only queues and never waits. A launch that has not
// finished after giveUpMs is given up, which the debugger output says: its
// worker is left to its call (a COM call cannot be taken back; should it
// return, the launch happens late, and that is said too), and a fresh worker
// takes the launches after it. At most kMaxGivenUpWorkers such workers are
// left waiting; while that many are, new launches are dropped and said so.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace q730x {

constexpr DWORD kDesktopLaunchGiveUpMs = 5000;
constexpr int kMaxGivenUpWorkers = 3;

class DesktopLaunches {
 public:
  // A launch: runs on the worker, whose COM is initialised single-threaded.
  using Launch = std::function<void()>;

  explicit DesktopLaunches(DWORD giveUpMs = kDesktopLaunchGiveUpMs);
  // Stops the worker; waits for it briefly, never for a launch that hangs.
  ~DesktopLaunches();
  DesktopLaunches(const DesktopLaunches&) = delete;
  DesktopLaunches& operator=(const DesktopLaunches&) = delete;

  // Queues a launch; `what` names it in the debugger output. Never waits.
  // False when it was dropped (no worker could be started, or too many hang).
  bool Queue(std::wstring what, Launch launch);

  struct State;

 private:
  std::shared_ptr<State> state_;
  HANDLE watchdog_ = nullptr;  // a timer of the default timer queue
};

}  // namespace q730x
