// Device-change notifications for a window: WM_DEVICECHANGE with a device
// interface record for each USB device that arrives or leaves. The real side
// is RegisterDeviceNotificationW for the USB device interface class; the
// virtual side follows the virtual keyboard from a thread of its own and
// sends the same messages, with the same records, to the window. Either way
// the registration ends when the object is destroyed.
#pragma once

#include <windows.h>

#include <memory>

namespace q730x {

class DeviceNotifications {
 public:
  virtual ~DeviceNotifications() = default;
};

// Null when the registration failed.
std::unique_ptr<DeviceNotifications> RegisterDeviceNotifications(HWND window);

// The 32-byte filter of the registration: USB devices {A5DCBF10-6530-11D2-901F-00C04FB951ED}.
extern const GUID kUsbDeviceInterfaceClass;

}  // namespace q730x
