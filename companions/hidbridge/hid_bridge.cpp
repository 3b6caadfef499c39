// HidBridge.dll: opens the keyboard's HID interface for the utility. The
// utility only needs to know that the open succeeds, which tells it that the
// keyboard is attached and ready.
//
// OpenHidDevice(usagePage, usage, 0, 0, 0, 0, shareMode, flags): the utility
// passes 0xFF01, 1, 0, 0, 0, 0, 1 (share read), 0x40000000 (overlapped).
// With the Device switch set to "virtual" the virtual keyboard is asked
// instead; its pipe connection is the handle then.
#include <windows.h>
#include <setupapi.h>
// MinGW's HID headers do not declare C linkage themselves.
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}

#include <vector>

#include "device/device_channel.h"
#include "device/driver_records.h"
#include "model/win_handles.h"
#include "device/virtual_pipe_client.h"

namespace {

using q730x::UniqueHandle;

HANDLE OpenVirtualHid() {
  q730x::vkb::PipeClient client;
  if (!client.Connect(q730x::vkb::VirtualPipeName(), 250)) return nullptr;
  std::string reply;
  if (!client.Admin("hid-open", reply)) return nullptr;
  return client.ReleaseHandle();
}

// The keyboard's interface with this top-level usage, opened, or none.
HANDLE OpenMatchingInterface(const wchar_t* path, DWORD usagePage, DWORD usage, DWORD shareMode,
                             DWORD flags) {
  UniqueHandle device(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, shareMode, nullptr,
                                  OPEN_EXISTING, flags, nullptr));
  if (!device) return nullptr;
  HIDD_ATTRIBUTES attributes{};
  attributes.Size = sizeof attributes;
  if (!HidD_GetAttributes(device.get(), &attributes) ||
      attributes.VendorID != q730x::kKeyboardVendorId ||
      attributes.ProductID != q730x::kKeyboardProductId)
    return nullptr;
  PHIDP_PREPARSED_DATA preparsed = nullptr;
  if (!HidD_GetPreparsedData(device.get(), &preparsed)) return nullptr;
  HIDP_CAPS caps{};
  const bool matches = HidP_GetCaps(preparsed, &caps) == HIDP_STATUS_SUCCESS &&
                       caps.UsagePage == usagePage && caps.Usage == usage;
  HidD_FreePreparsedData(preparsed);
  return matches ? device.release() : nullptr;
}

HANDLE OpenRealHid(DWORD usagePage, DWORD usage, DWORD shareMode, DWORD flags) {
  GUID hidClass;
  HidD_GetHidGuid(&hidClass);
  HDEVINFO set = SetupDiGetClassDevsW(&hidClass, nullptr, nullptr,
                                      DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
  if (set == INVALID_HANDLE_VALUE) return nullptr;
  HANDLE found = nullptr;
  SP_DEVICE_INTERFACE_DATA item{};
  item.cbSize = sizeof item;
  for (DWORD i = 0; !found && SetupDiEnumDeviceInterfaces(set, nullptr, &hidClass, i, &item); ++i) {
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailW(set, &item, nullptr, 0, &size, nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) continue;
    std::vector<std::uint8_t> buffer(size);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    if (!SetupDiGetDeviceInterfaceDetailW(set, &item, detail, size, nullptr, nullptr)) continue;
    found = OpenMatchingInterface(detail->DevicePath, usagePage, usage, shareMode, flags);
  }
  SetupDiDestroyDeviceInfoList(set);
  return found;
}

}  // namespace

extern "C" __declspec(dllexport) HANDLE __cdecl OpenHidDevice(DWORD usagePage, DWORD usage,
                                                             DWORD, DWORD, DWORD, DWORD,
                                                             DWORD shareMode, DWORD flags) {
  if (q730x::UseVirtualDevice()) return OpenVirtualHid();
  return OpenRealHid(usagePage, usage, shareMode, flags);
}
