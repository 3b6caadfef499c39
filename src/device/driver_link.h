// The utility's side of the driver link: the open device, the event
// semaphore the driver signals once per key event, the thread that reads the
// events and posts them to the keyboard page as message 0x7EB, and the HID
// handle whose successful opening tells that the keyboard is ready.
//
// The device, the semaphore, the event thread and the event window are
// process-wide, so that the command functions work from any thread; the HID
// library and handle belong to the keyboard page's CUSBDriver.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "device/device_channel.h"
#include "device/driver_records.h"
#include "model/win_handles.h"

namespace q730x {

constexpr UINT WM_KEY_EVENT = 0x7EB;  // wParam: event word, lParam: 0
constexpr LONG kEventSemaphoreMaximum = 8000;
constexpr SIZE_T kEventThreadStack = 4096;
constexpr const wchar_t* kDriverWindowName = L"KavexQ460Drivers";
constexpr const wchar_t* kHidLibraryName = L"HidBridge.dll";

// OpenHidDevice of HidBridge.dll: eight 32-bit arguments, a handle or 0.
using OpenHidDeviceFunction = HANDLE(__cdecl*)(DWORD, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                               DWORD);

// Opens the device, sends it the configuration value 15, registers the event
// semaphore and sends the one set-up request (kind 32). False (and no device
// kept) when it is missing or refuses the registration.
bool OpenDriver();
// Unregisters and closes the device if it is open. Always true.
bool CloseDriver();
bool DriverOpen();
// Control code 0x22240C with the 180-byte request and no output.
bool SendRequest(const DriverRequest& request);
// The same with the 180-byte record read back into request.
bool SendReadBackRequest(DriverRequest& request);
// A kind 32 set-up request (OpenDriver already sends one).
bool SendSetupRequest();
// One control call on the current device; false when the device is not open.
bool DeviceControl(DWORD code, const void* input, DWORD inputLength, void* output,
                   DWORD outputLength);

// The process-wide event semaphore, or null before StartLink.
HANDLE EventSemaphore();
// The event thread's handle while the link runs (to watch it end), or null.
HANDLE EventThreadHandle();

// The driver link as the keyboard page holds it. It owns the hidden window
// "KavexQ460Drivers", the HID library and the HID handle; starting it starts
// the process-wide event thread and stopping it (or destroying it) runs the
// stop sequence.
class CUSBDriver {
 public:
  CUSBDriver() = default;
  ~CUSBDriver();
  CUSBDriver(const CUSBDriver&) = delete;
  CUSBDriver& operator=(const CUSBDriver&) = delete;

  // Sets the event window, creates the semaphore and the event thread, the
  // hidden window, and loads HidBridge.dll. True when the library and its
  // OpenHidDevice are there.
  bool StartLink(HWND eventWindow);
  // (Re)opens the HID handle; true when OpenHidDevice gave one.
  bool OpenHid();
  bool HidOpen() const { return hid_.valid(); }
  // Stop flag, one release, handles closed, window destroyed, CloseDriver,
  // HID handle closed and library unloaded. Safe to call twice.
  void StopLink();

  HWND window() const { return window_; }

 private:
  bool started_ = false;
  HWND window_ = nullptr;
  UniqueLibrary hidLibrary_;
  OpenHidDeviceFunction openHidDevice_ = nullptr;
  UniqueHandle hid_;
};

}  // namespace q730x
