#include "device/device_channel.h"

#include <algorithm>
#include <mutex>

#include "model/admin_overrides.h"
#include "model/win_handles.h"
#include "device/virtual_pipe_client.h"

namespace q730x {
namespace {

// The kernel driver: CreateFileW and DeviceIoControl.
class DriverChannel final : public DeviceChannel {
 public:
  explicit DriverChannel(UniqueHandle device) : device_(std::move(device)) {}

  bool Control(DWORD code, const void* input, DWORD inputLength, void* output,
               DWORD outputLength, DWORD* returned) override {
    DWORD got = 0;
    const BOOL ok = DeviceIoControl(device_.get(), code, const_cast<void*>(input), inputLength,
                                    output, outputLength, &got, nullptr);
    if (returned) *returned = got;
    return ok != FALSE;
  }

 private:
  UniqueHandle device_;
};

// The virtual keyboard: each call is one message on its pipe. Calls from
// several threads are serialised so that an answer always reaches the thread
// that asked; the lock is held for one round trip only, never across waits.
class VirtualChannel final : public DeviceChannel {
 public:
  explicit VirtualChannel(vkb::PipeClient client) : client_(std::move(client)) {}

  bool Control(DWORD code, const void* input, DWORD inputLength, void* output,
               DWORD outputLength, DWORD* returned) override {
    vkb::PipeRequest request;
    request.type = vkb::MSG_DEVICE_CONTROL;
    request.code = code;
    request.outputLength = outputLength;
    const auto* in = static_cast<const std::uint8_t*>(input);
    if (in && inputLength) request.payload.assign(in, in + inputLength);

    vkb::PipeAnswer answer;
    bool transacted;
    {
      std::lock_guard lock(mutex_);
      transacted = client_.Transact(request, answer);
    }
    if (returned) *returned = 0;
    if (!transacted) {
      SetLastError(ERROR_DEVICE_NOT_CONNECTED);
      return false;
    }
    if (!answer.done) {
      SetLastError(answer.error ? answer.error : ERROR_GEN_FAILURE);
      return false;
    }
    const DWORD n = static_cast<DWORD>(
        std::min<std::size_t>(answer.payload.size(), output ? outputLength : 0));
    if (n) std::copy_n(answer.payload.begin(), n, static_cast<std::uint8_t*>(output));
    if (returned) *returned = n;
    return true;
  }

 private:
  std::mutex mutex_;
  vkb::PipeClient client_;
};

}  // namespace

bool UseVirtualDevice() {
  const std::optional<std::wstring> device = ReadOverride(kDeviceOverride);
  return device && lstrcmpiW(device->c_str(), L"virtual") == 0;
}

std::unique_ptr<DeviceChannel> OpenDeviceChannel() {
  if (UseVirtualDevice()) {
    vkb::PipeClient client;
    if (!client.Connect(vkb::VirtualPipeName(), 250)) {
      SetLastError(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    return std::make_unique<VirtualChannel>(std::move(client));
  }
  UniqueHandle device(CreateFileW(kDriverDevicePath, GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!device) return nullptr;
  return std::make_unique<DriverChannel>(std::move(device));
}

}  // namespace q730x
