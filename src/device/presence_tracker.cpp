#include "device/presence_tracker.h"

#include "device/usb_presence.h"

namespace q730x {

std::atomic<bool> FirmwareUpdateActive{false};

LRESULT PresenceTracker::OnDeviceChange(WPARAM wParam, LPARAM lParam) {
  const DeviceChange change = ReadDeviceChange(wParam, lParam);
  PresenceFlags* page = actions_.KeyboardPage();
  if (!page) return 0;
  if (change == DeviceChange::KeyboardArrived) Arrived(*page);
  if (change == DeviceChange::KeyboardRemoved) Removed(*page);
  return 0;
}

void PresenceTracker::Arrived(PresenceFlags& page) {
  page.deviceAbsent = false;
  page.rateChangePending = false;
  // The HID interface comes up a little after the device itself.
  actions_.Wait(200);
  if (actions_.OpenHid()) {
    actions_.ReadFirmwareVersion();
  } else {
    actions_.StartRetryTimer();
  }
}

void PresenceTracker::Removed(PresenceFlags& page) {
  page.deviceAbsent = true;
  if (!FirmwareUpdateActive && !page.rateChangePending) actions_.Exit();
}

void PresenceTracker::OnRetryTimer() {
  if (actions_.KeyboardPage()) {
    if (actions_.OpenHid()) {
      hidOpenRetries_ = 0;
      actions_.StopRetryTimer();
      actions_.ReadFirmwareVersion();
    } else {
      ++hidOpenRetries_;
    }
  }
  if (hidOpenRetries_ > kMaxHidOpenRetries) {
    actions_.StopRetryTimer();
    actions_.ShowMessage(L"Program initialize device error");
  }
}

}  // namespace q730x
