// Following the keyboard while the program runs: a removal ends the program
// unless it was expected (a report rate change makes the keyboard rejoin the
// bus; a firmware update takes it away), and an arrival reopens the HID
// interface at once or, failing that, on a 500 ms retry timer. The main
// window owns the tracker and carries out its actions.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

namespace q730x {

// Set while the firmware burn tool runs.
extern std::atomic<bool> FirmwareUpdateActive;

// The keyboard page's presence flags.
struct PresenceFlags {
  // Removed and not back yet; the download worker reads it on its own thread.
  std::atomic<bool> deviceAbsent{false};
  bool rateChangePending = false;  // a report rate command was sent

  PresenceFlags() = default;
  PresenceFlags(bool absent, bool pending) : deviceAbsent(absent), rateChangePending(pending) {}
  PresenceFlags& operator=(const PresenceFlags& other) {
    deviceAbsent = other.deviceAbsent.load();
    rateChangePending = other.rateChangePending;
    return *this;
  }
};

// What the tracker asks of the main window.
class PresenceActions {
 public:
  virtual ~PresenceActions() = default;
  // The keyboard page's flags; null while there is no keyboard page.
  virtual PresenceFlags* KeyboardPage() = 0;
  virtual void Wait(DWORD milliseconds) = 0;
  virtual bool OpenHid() = 0;
  virtual void ReadFirmwareVersion() = 0;
  virtual void StartRetryTimer() = 0;  // timer 20, every 500 ms
  virtual void StopRetryTimer() = 0;
  virtual void ShowMessage(const std::wstring& text) = 0;
  virtual void Exit() = 0;  // the exit command: the program ends
};

constexpr UINT_PTR kHidRetryTimer = 20;
constexpr UINT kHidRetryPeriodMs = 500;
// Failed reopen tries after which the retries stop with a message.
constexpr int kMaxHidOpenRetries = 40;

class PresenceTracker {
 public:
  explicit PresenceTracker(PresenceActions& actions) : actions_(actions) {}

  // WM_DEVICECHANGE; the answer to give is 0.
  LRESULT OnDeviceChange(WPARAM wParam, LPARAM lParam);
  // Timer 20.
  void OnRetryTimer();

  int hidOpenRetries() const { return hidOpenRetries_; }

 private:
  void Arrived(PresenceFlags& page);
  void Removed(PresenceFlags& page);

  PresenceActions& actions_;
  int hidOpenRetries_ = 0;  // since the last successful reopen; an arrival keeps it
};

}  // namespace q730x
