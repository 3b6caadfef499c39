// Device commands: device (what the keyboard says of itself), apply N (the
// utility's own download of profile N, saved as the utility saves it) and
// rate R (the report rate). They reach the keyboard through the same driver
// link as the utility: the real driver, or the virtual keyboard when the
// Device switch says so (model/admin_overrides.h).
#include <windows.h>

#include <memory>
#include <string>

#include "command.h"
#include "console.h"
#include "elevation.h"
#include "device/configuration_download.h"
#include "device/driver_link.h"
#include "device/keyboard_commands.h"
#include "device/usb_presence.h"
#include "model/key_code.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"

namespace q730x::ctl {
namespace {

// A message-only window that receives the download's result and the key
// events, for as long as the command runs.
class MessageWindow {
 public:
  MessageWindow()
      : hwnd_(CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
  ~MessageWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// The driver link for one command: started and opened, closed when it ends.
class OpenLink {
 public:
  explicit OpenLink(HWND window) {
    link_.StartLink(window);
    open_ = OpenDriver();
  }
  ~OpenLink() { link_.StopLink(); }
  bool open() const { return open_; }

 private:
  CUSBDriver link_;
  bool open_ = false;
};

const char* kNotOpen = "the keyboard's driver could not be opened (is the keyboard connected?)";

int Device(const std::vector<std::wstring>& arguments) {
  if (!arguments.empty()) return kExitUsage;
  const bool keyboard = UsbDevicePresent(kKeyboardHardwareId);
  const bool loader = UsbDevicePresent(kLoaderHardwareId);
  Print("keyboard:        %s\n", keyboard ? "connected" : "not connected");
  Print("firmware loader: %s\n", loader ? "present" : "not present");
  MessageWindow window;
  OpenLink link(window.get());
  if (!link.open()) {
    PrintError(kNotOpen);
    return kExitFailure;
  }
  int status = kExitOk;
  if (ReadFirmwareVersion()) {
    Print("firmware:        %u.%u\n", FirmwareMajor.load(), FirmwareMinor.load());
  } else {
    PrintError("the keyboard did not tell its firmware version");
    status = kExitFailure;
  }
  std::uint32_t interval = 0;
  if (ReadReportInterval(interval)) {
    if (interval != 0)
      Print("report interval: %u ms (%u reports per second)\n", interval, 1000 / interval);
    else
      Print("report interval: 0 ms (the keyboard names no rate)\n");
  } else {
    PrintError("the keyboard did not tell its report interval");
    status = kExitFailure;
  }
  return status;
}

int Apply(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 1) return kExitUsage;
  const int n = ParseProfileNumber(arguments[0]);
  if (n < 0) {
    PrintError("profile numbers run from 1 to 5");
    return kExitUsage;
  }
  if (!MayWriteSettings()) return kExitFailure;
  BuildDefaultMatrix();
  CreateMissingProfiles();
  LoadProfile(n);
  buffers::LastAppliedMatrix = buffers::KeyMatrix;
  MessageWindow window;
  OpenLink link(window.get());
  if (!link.open()) {
    PrintError(kNotOpen);
    return kExitFailure;
  }
  auto job = std::make_shared<DownloadJob>();
  job->snapshot = SnapshotOfBuffers(n);
  RunDownload({window.get(), std::make_shared<DownloadShare>(), job}, nullptr);
  MSG result{};
  const bool done = PeekMessageW(&result, window.get(), WM_DOWNLOAD_DONE, WM_DOWNLOAD_FAILED, PM_REMOVE) &&
                    result.message == WM_DOWNLOAD_DONE;
  if (!done) {
    PrintError("the keyboard refused profile " + std::to_string(n + 1) + "; the store was not changed");
    return kExitFailure;
  }
  // As the utility saves after a successful download: the profile becomes the
  // current one, with its macro keys in the form the keyboard received.
  buffers::KeyMatrix = job->snapshot.matrix;
  buffers::nCurFile = n;
  SaveCurrentIndex();
  if (!SaveProfile(n)) {
    PrintError("the keyboard took profile " + std::to_string(n + 1) + ", but saving it to the registry failed");
    return kExitFailure;
  }
  ExportProfileFiles(n);
  int slots = 0;
  for (const MacroSlotEntry& entry : MacroSlotTable) slots += !entry.free();
  Print("profile %d applied: key matrix and %d macro slot%s written\n", n + 1, slots, slots == 1 ? "" : "s");
  return kExitOk;
}

int Rate(const std::vector<std::wstring>& arguments) {
  if (arguments.size() != 1) return kExitUsage;
  std::uint8_t interval = 0;
  if (arguments[0] == L"125") interval = 8;
  if (arguments[0] == L"500") interval = 2;
  if (arguments[0] == L"1000") interval = 1;
  if (!interval) {
    PrintError("the report rate is 125, 500 or 1000");
    return kExitUsage;
  }
  if (!MayWriteSettings()) return kExitFailure;
  MessageWindow window;
  OpenLink link(window.get());
  if (!link.open()) {
    PrintError(kNotOpen);
    return kExitFailure;
  }
  if (!SetReportInterval(interval)) {
    PrintError("the keyboard refused the report rate");
    return kExitFailure;
  }
  Print("report rate %u: the keyboard now reports every %u ms (it leaves and rejoins the bus)\n",
        1000u / interval, unsigned(interval));
  return kExitOk;
}

constexpr Command kDeviceCommands[] = {
    {"device", "", "show the firmware version, the report interval and whether the loader is present", Device},
    {"apply", "N", "download profile N (1 to 5) to the keyboard and make it the current one", Apply},
    {"rate", "125|500|1000", "set the keyboard's report rate", Rate},
};

}  // namespace

std::span<const Command> DeviceCommands() { return kDeviceCommands; }

}  // namespace q730x::ctl
