// The keyboard as the USB bus shows it: which hardware ids are present (the
// keyboard, or its firmware loader, and one unrelated hub that is always
// there), and a numbered history of arrivals and removals, so that a client
// can turn every change into a device notification, in order, even when
// several come between two of its polls.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "keyboard_state.h"

namespace q730x::vkb {

struct UsbDevice {
  const char* hardwareId;     // as the device's hardware id property reads
  const char* interfacePath;  // the name a device interface notification carries
};

extern const UsbDevice kKeyboardDevice;
extern const UsbDevice kLoaderDevice;
extern const UsbDevice kHubDevice;

class UsbPresence {
 public:
  explicit UsbPresence(const KeyboardState& state);

  // Records the arrivals and removals that a new state brings.
  void Update(const KeyboardState& state);

  // "generation G", then "present <hardware id>" per present device, then
  // "arrival|removal <generation> <interface path>" for each change after
  // since. Changes older than the last kKeptChanges are forgotten.
  std::string Report(std::uint64_t since) const;

  static constexpr std::size_t kKeptChanges = 1000;

 private:
  struct Change {
    std::uint64_t generation;
    bool arrival;
    const UsbDevice* device;
  };
  static std::vector<const UsbDevice*> Present(const KeyboardState& state);

  std::vector<const UsbDevice*> present_;
  std::deque<Change> changes_;
  std::uint64_t generation_ = 0;
};

}  // namespace q730x::vkb
