#include "device/device_notifications.h"

#include <dbt.h>

#include <atomic>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "device/device_channel.h"
#include "device/virtual_pipe_client.h"
#include "model/win_handles.h"

namespace q730x {

const GUID kUsbDeviceInterfaceClass = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

namespace {

static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32);

class SystemNotifications final : public DeviceNotifications {
 public:
  explicit SystemNotifications(HDEVNOTIFY handle) : handle_(handle) {}
  ~SystemNotifications() override { UnregisterDeviceNotification(handle_); }

 private:
  HDEVNOTIFY handle_;
};

// Polls the virtual keyboard's presence history and sends each change to the
// window in order, as the system would.
class VirtualNotifications final : public DeviceNotifications {
 public:
  explicit VirtualNotifications(HWND window) : window_(window), stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

  bool Start() {
    if (!stop_) return false;
    // Where the history stands at registration: a change from then on is
    // sent, however soon it comes, as the system sends it after a registration.
    vkb::PipeClient client;
    std::string reply;
    if (client.Connect(vkb::VirtualPipeName(), 200) && client.Admin("presence 0", reply)) {
      std::istringstream lines(reply);
      for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string kind;
        unsigned long long generation = 0;
        if ((words >> kind >> generation) && kind == "generation") baseline_ = generation;
      }
    }
    thread_.reset(CreateThread(nullptr, 0, &VirtualNotifications::Run, this, 0, nullptr));
    return thread_.valid();
  }

  ~VirtualNotifications() override {
    if (!thread_) return;
    SetEvent(stop_.get());
    // The thread may be in the middle of sending to a window of this thread:
    // take sent messages while waiting, so that it can finish.
    HANDLE thread = thread_.get();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
      MSG message;
      PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
  }

 private:
  static constexpr DWORD kPollMs = 50;

  static DWORD WINAPI Run(void* self) {
    static_cast<VirtualNotifications*>(self)->Follow();
    return 0;
  }

  void Follow() {
    vkb::PipeClient client;
    bool synced = baseline_.has_value();
    unsigned long long seen = baseline_.value_or(0);
    while (WaitForSingleObject(stop_.get(), kPollMs) == WAIT_TIMEOUT) {
      if (!client.connected() && !client.Connect(vkb::VirtualPipeName(), 200)) continue;
      std::string reply;
      if (!client.Admin("presence " + std::to_string(seen), reply)) {
        client.Disconnect();  // a restarted keyboard starts its history again
        synced = false;
        continue;
      }
      std::istringstream lines(reply);
      for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string kind, path;
        unsigned long long generation = 0;
        words >> kind >> generation;
        if (kind == "generation") {
          // The first answer only tells where the history stands now.
          if (!synced || generation < seen) seen = generation;
        } else if ((kind == "arrival" || kind == "removal") && synced && generation > seen &&
                   (words >> path)) {
          if (WaitForSingleObject(stop_.get(), 0) != WAIT_TIMEOUT) return;
          Send(kind == "arrival" ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE, path);
          seen = generation;
        }
      }
      synced = true;
    }
  }

  void Send(WPARAM event, const std::string& path) {
    // The record with the interface name (ASCII) and its terminator.
    constexpr std::size_t nameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
    std::vector<std::uint8_t> bytes(nameOffset + (path.size() + 1) * sizeof(wchar_t));
    auto* record = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
    record->dbcc_size = DWORD(bytes.size());
    record->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    record->dbcc_classguid = kUsbDeviceInterfaceClass;
    auto* name = reinterpret_cast<wchar_t*>(bytes.data() + nameOffset);
    for (std::size_t i = 0; i < path.size(); ++i) name[i] = wchar_t(static_cast<unsigned char>(path[i]));
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window_, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record),
                        SMTO_NORMAL, 10000, &result);
  }

  HWND window_;
  UniqueHandle stop_;
  UniqueHandle thread_;
  std::optional<unsigned long long> baseline_;
};

}  // namespace

std::unique_ptr<DeviceNotifications> RegisterDeviceNotifications(HWND window) {
  if (UseVirtualDevice()) {
    auto notifications = std::make_unique<VirtualNotifications>(window);
    if (!notifications->Start()) return nullptr;
    return notifications;
  }
  DEV_BROADCAST_DEVICEINTERFACE_W filter{};
  filter.dbcc_size = sizeof filter;
  filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  filter.dbcc_classguid = kUsbDeviceInterfaceClass;
  HDEVNOTIFY handle = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
  if (!handle) return nullptr;
  return std::make_unique<SystemNotifications>(handle);
}

}  // namespace q730x
