#include "device/usb_presence.h"

#include <dbt.h>
#include <setupapi.h>

#include <sstream>
#include <string>

#include "device/device_channel.h"
#include "device/virtual_pipe_client.h"

namespace q730x {
namespace {

// The record layout the device name's offset relies on.
static_assert(offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name) == 28);

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c + 32) : c; }

// The first hardware id of every present USB device, through SetupAPI.
bool SetupApiDevicePresent(std::wstring_view text) {
  HDEVINFO set = SetupDiGetClassDevsW(nullptr, L"USB", nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES);
  if (set == INVALID_HANDLE_VALUE) return false;
  bool found = false;
  SP_DEVINFO_DATA device{};
  device.cbSize = sizeof device;
  for (DWORD i = 0; !found && SetupDiEnumDeviceInfo(set, i, &device); ++i) {
    BYTE buffer[260] = {};
    DWORD type = 0, size = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_HARDWAREID, &type, buffer,
                                           sizeof buffer, &size))
      continue;
    // The first id of the list, bounded by what was returned even when the
    // property fills the buffer without a terminator.
    std::wstring_view ids(reinterpret_cast<const wchar_t*>(buffer),
                          std::min<DWORD>(size, sizeof buffer) / sizeof(wchar_t));
    std::wstring_view first = ids.substr(0, ids.find(L'\0'));
    found = ContainsIgnoringCase(first, text);
  }
  SetupDiDestroyDeviceInfoList(set);
  return found;
}

// The present ids as the virtual keyboard reports them.
bool VirtualDevicePresent(std::wstring_view text) {
  vkb::PipeClient client;
  std::string reply;
  if (!client.Connect(vkb::VirtualPipeName()) || !client.Admin("presence", reply)) return false;
  std::istringstream lines(reply);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("present ", 0) != 0) continue;
    std::wstring id(line.begin() + 8, line.end());  // hardware ids are ASCII
    if (ContainsIgnoringCase(id, text)) return true;
  }
  return false;
}

}  // namespace

bool ContainsIgnoringCase(std::wstring_view text, std::wstring_view part) {
  if (part.size() > text.size()) return false;
  for (std::size_t start = 0; start + part.size() <= text.size(); ++start) {
    std::size_t i = 0;
    while (i < part.size() && AsciiLower(text[start + i]) == AsciiLower(part[i])) ++i;
    if (i == part.size()) return true;
  }
  return false;
}

bool UsbDevicePresent(std::wstring_view text) {
  return UseVirtualDevice() ? VirtualDevicePresent(text) : SetupApiDevicePresent(text);
}

DeviceWait WaitForDevice(const std::function<bool(std::wstring_view)>& present,
                         const std::function<void(DWORD)>& wait) {
  DeviceWait result;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const bool keyboard = present(kKeyboardHardwareId);
    result.loaderPresent = present(kLoaderHardwareId);
    if (keyboard) {
      result.proceed = true;
      return result;
    }
    wait(500);
  }
  result.proceed = result.loaderPresent;
  return result;
}

DeviceChange ReadDeviceChange(WPARAM wParam, LPARAM lParam) {
  if (wParam != DBT_DEVICEARRIVAL && wParam != DBT_DEVICEREMOVECOMPLETE) return DeviceChange::None;
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
  if (!header || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE) return DeviceChange::None;
  constexpr DWORD nameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  if (header->dbch_size <= nameOffset) return DeviceChange::None;
  const auto* record = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(header);
  std::wstring_view name(record->dbcc_name, (header->dbch_size - nameOffset) / sizeof(wchar_t));
  name = name.substr(0, name.find(L'\0'));
  if (!ContainsIgnoringCase(name, kKeyboardHardwareId)) return DeviceChange::None;
  return wParam == DBT_DEVICEARRIVAL ? DeviceChange::KeyboardArrived : DeviceChange::KeyboardRemoved;
}

}  // namespace q730x
