#include "device/desktop_launches.h"

#include <objbase.h>

#include <deque>
#include <mutex>
#include <utility>

namespace q730x {

namespace {

constexpr DWORD kWatchdogPeriodMs = 500;
constexpr DWORD kStopWaitMs = 500;

void Say(const std::wstring& text) { OutputDebugStringW((L"Q730X: " + text + L"\n").c_str()); }

}  // namespace

struct DesktopLaunches::State {
  std::mutex lock;
  std::deque<std::pair<std::wstring, Launch>> pending;
  // Set while launches wait; the live worker waits for it.
  HANDLE wake = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD giveUpMs = kDesktopLaunchGiveUpMs;
  bool stopping = false;
  // The live worker: its number (a given-up worker's number is no longer
  // this one, and it ends once its call returns), its thread, and the launch
  // it runs since when.
  unsigned generation = 0;
  HANDLE worker = nullptr;
  bool busy = false;
  ULONGLONG busySince = 0;
  std::wstring running;
  int givenUp = 0;  // given-up workers still inside their call

  ~State() {
    if (worker) CloseHandle(worker);
    if (wake) CloseHandle(wake);
  }

  // With the lock held.
  bool StartWorker(const std::shared_ptr<State>& self);
  void CheckHung(const std::shared_ptr<State>& self);
};

namespace {

struct WorkerStart {
  std::shared_ptr<DesktopLaunches::State> state;
  unsigned generation;
};

// Waits for the event while dispatching the apartment's messages.
void WaitPumping(HANDLE event) {
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke != WAIT_OBJECT_0 + 1) return;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

DWORD WINAPI WorkerMain(void* parameter) {
  std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
  DesktopLaunches::State& state = *start->state;
  const unsigned mine = start->generation;
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
  for (;;) {
    std::wstring what;
    DesktopLaunches::Launch launch;
    {
      std::lock_guard hold(state.lock);
      if (state.stopping || state.generation != mine) break;
      if (state.pending.empty()) {
        ResetEvent(state.wake);
      } else {
        what = std::move(state.pending.front().first);
        launch = std::move(state.pending.front().second);
        state.pending.pop_front();
        state.busy = true;
        state.busySince = GetTickCount64();
        state.running = what;
      }
    }
    if (!launch) {
      WaitPumping(state.wake);
      continue;
    }
    launch();
    std::lock_guard hold(state.lock);
    if (state.generation != mine) {
      // Given up meanwhile: the launch has happened after all, late.
      --state.givenUp;
      Say(L"a desktop-shell launch given up before has finished late: " + what);
      break;
    }
    state.busy = false;
  }
  if (com) CoUninitialize();
  return 0;
}

}  // namespace

bool DesktopLaunches::State::StartWorker(const std::shared_ptr<State>& self) {
  auto start = std::make_unique<WorkerStart>(WorkerStart{self, generation});
  HANDLE thread = CreateThread(nullptr, 0, WorkerMain, start.get(), 0, nullptr);
  if (!thread) return false;
  start.release();  // the thread owns it now
  if (worker) CloseHandle(worker);
  worker = thread;
  return true;
}

void DesktopLaunches::State::CheckHung(const std::shared_ptr<State>& self) {
  if (!busy || GetTickCount64() - busySince < giveUpMs) return;
  Say(L"a desktop-shell launch has not finished in " + std::to_wstring(giveUpMs / 1000) +
      L" s and is given up: " + running);
  // The worker keeps its call; the launches after it go to a fresh one.
  ++generation;
  ++givenUp;
  busy = false;
  running.clear();
  if (worker) CloseHandle(worker);
  worker = nullptr;
  if (givenUp <= kMaxGivenUpWorkers && StartWorker(self)) return;
  // Nobody takes the waiting launches: they would otherwise run much later.
  for (const auto& waiting : pending) Say(L"desktop-shell launches hang; dropped: " + waiting.first);
  pending.clear();
}

DesktopLaunches::DesktopLaunches(DWORD giveUpMs) : state_(std::make_shared<State>()) {
  state_->giveUpMs = giveUpMs;
  // The watchdog holds a plain pointer: the destructor deletes the timer,
  // waiting for a running callback, before the state can go.
  CreateTimerQueueTimer(
      &watchdog_, nullptr,
      [](void* parameter, BOOLEAN) {
        auto* self = static_cast<std::shared_ptr<State>*>(parameter);
        std::lock_guard hold((*self)->lock);
        if (!(*self)->stopping) (*self)->CheckHung(*self);
      },
      &state_, kWatchdogPeriodMs, kWatchdogPeriodMs, WT_EXECUTEDEFAULT);
}

DesktopLaunches::~DesktopLaunches() {
  if (watchdog_) DeleteTimerQueueTimer(nullptr, watchdog_, INVALID_HANDLE_VALUE);
  HANDLE worker = nullptr;
  bool busy = false;
  {
    std::lock_guard hold(state_->lock);
    state_->stopping = true;
    state_->pending.clear();
    busy = state_->busy;
    if (state_->worker) DuplicateHandle(GetCurrentProcess(), state_->worker, GetCurrentProcess(), &worker, 0,
                                        FALSE, DUPLICATE_SAME_ACCESS);
    if (state_->wake) SetEvent(state_->wake);
  }
  // An idle worker ends at once; one inside a launch is not waited for long.
  if (worker) {
    WaitForSingleObject(worker, busy ? 0 : kStopWaitMs);
    CloseHandle(worker);
  }
}

bool DesktopLaunches::Queue(std::wstring what, Launch launch) {
  std::lock_guard hold(state_->lock);
  if (state_->stopping) return false;
  state_->CheckHung(state_);
  if (state_->givenUp > kMaxGivenUpWorkers || (!state_->worker && !state_->StartWorker(state_))) {
    Say(L"desktop-shell launches hang; dropped: " + what);
    return false;
  }
  state_->pending.emplace_back(std::move(what), std::move(launch));
  SetEvent(state_->wake);
  return true;
}

}  // namespace q730x
