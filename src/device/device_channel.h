// The narrow seam between the utility and the keyboard's driver: open the
// device, make control calls on it, close it (by destroying the channel).
// The production channel is the driver device "\\.\kxqd730x"; the Device
// switch set to "virtual" (model/admin_overrides.h) selects the virtual
// keyboard's named pipe instead. Everything above this seam is the same in
// both cases.
#pragma once

#include <windows.h>

#include <memory>

namespace q730x {

constexpr const wchar_t* kDriverDevicePath = L"\\\\.\\kxqd730x";

class DeviceChannel {
 public:
  virtual ~DeviceChannel() = default;
  // One DeviceIoControl-style call. On failure the Win32 last error says why.
  virtual bool Control(DWORD code, const void* input, DWORD inputLength, void* output,
                       DWORD outputLength, DWORD* returned) = 0;
};

// True when the Device switch is "virtual".
bool UseVirtualDevice();

// Opens the driver device (or the virtual keyboard); null when it is not there.
std::unique_ptr<DeviceChannel> OpenDeviceChannel();

}  // namespace q730x
