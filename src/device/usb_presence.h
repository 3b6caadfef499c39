// Whether the keyboard (or its firmware loader) is on the USB bus: the
// hardware id test, the start-up wait for the keyboard, and the reading of a
// device-change notification. Through the virtual keyboard when the Device
// switch says "virtual" (model/admin_overrides.h), through SetupAPI otherwise.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

namespace q730x {

// The hardware id texts of the keyboard and of the keyboard in its firmware
// loader (the controller maker's vendor id).
constexpr std::wstring_view kKeyboardHardwareId = L"VID_3A5C&PID_4006";
constexpr std::wstring_view kLoaderHardwareId = L"VID_04d9&PID_8022";

// True when a present USB device has a first hardware id that contains text,
// compared without regard to letter case.
bool UsbDevicePresent(std::wstring_view text);

// Contains, ignoring the letter case of ASCII letters (hardware ids are ASCII).
bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part);

struct DeviceWait {
  bool proceed = false;        // the keyboard or its loader is there
  bool loaderPresent = false;  // the loader was there at the last try
};

// At most two tries, each looking for the keyboard and for its loader; a try
// without the keyboard is followed by a 500 ms wait. The start-up goes on
// when the keyboard was found, or when the loader was there at the last try.
DeviceWait WaitForDevice(const std::function<bool(std::wstring_view)>& present = UsbDevicePresent,
                         const std::function<void(DWORD)>& wait = ::Sleep);

enum class DeviceChange { None, KeyboardArrived, KeyboardRemoved };

// What a WM_DEVICECHANGE means for the keyboard: an arrival or a completed
// removal of a device interface whose name holds the keyboard's hardware id.
// The record is read only as far as its own size field allows, and only when
// it is a device interface record (other kinds are shorter than the name's
// offset).
DeviceChange ReadDeviceChange(WPARAM wParam, LPARAM lParam);

}  // namespace q730x
