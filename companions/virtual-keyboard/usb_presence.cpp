#include "usb_presence.h"

#include <algorithm>

namespace q730x::vkb {

#define Q730X_USB_INTERFACE_CLASS "{a5dcbf10-6530-11d2-901f-00c04fb951ed}"

const UsbDevice kKeyboardDevice = {"USB\\VID_3A5C&PID_4006&REV_0102",
                                   "\\\\?\\USB#VID_3A5C&PID_4006#Q730X0001#" Q730X_USB_INTERFACE_CLASS};
const UsbDevice kLoaderDevice = {"USB\\VID_04D9&PID_8022&REV_0100",
                                 "\\\\?\\USB#VID_04D9&PID_8022#Q730X0001#" Q730X_USB_INTERFACE_CLASS};
const UsbDevice kHubDevice = {"USB\\VID_1D6B&PID_0002&REV_0515",
                              "\\\\?\\USB#VID_1D6B&PID_0002#HUB0001#" Q730X_USB_INTERFACE_CLASS};

UsbPresence::UsbPresence(const KeyboardState& state) : present_(Present(state)) {}

std::vector<const UsbDevice*> UsbPresence::Present(const KeyboardState& state) {
  std::vector<const UsbDevice*> present = {&kHubDevice};
  if (state.attached) present.push_back(state.loaderMode ? &kLoaderDevice : &kKeyboardDevice);
  return present;
}

void UsbPresence::Update(const KeyboardState& state) {
  std::vector<const UsbDevice*> now = Present(state);
  auto record = [&](bool arrival, const UsbDevice* device) {
    changes_.push_back({++generation_, arrival, device});
    if (changes_.size() > kKeptChanges) changes_.pop_front();
  };
  // Removals first: a keyboard that enters its loader leaves, then the loader arrives.
  for (const UsbDevice* d : present_)
    if (std::find(now.begin(), now.end(), d) == now.end()) record(false, d);
  for (const UsbDevice* d : now)
    if (std::find(present_.begin(), present_.end(), d) == present_.end()) record(true, d);
  present_ = std::move(now);
}

std::string UsbPresence::Report(std::uint64_t since) const {
  std::string out = "generation " + std::to_string(generation_) + "\n";
  for (const UsbDevice* d : present_) out += std::string("present ") + d->hardwareId + "\n";
  for (const Change& c : changes_)
    if (c.generation > since)
      out += std::string(c.arrival ? "arrival " : "removal ") + std::to_string(c.generation) + " " +
             c.device->interfacePath + "\n";
  return out;
}

}  // namespace q730x::vkb
