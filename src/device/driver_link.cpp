#include "device/driver_link.h"

#include <atomic>
#include <mutex>

#include "device/companion_library.h"

namespace q730x {
namespace {

// The open device. Every call takes its own reference, so closing the link
// while another thread is inside a call lets that call finish (or fail)
// instead of using a destroyed channel.
std::mutex g_deviceMutex;
std::shared_ptr<DeviceChannel> g_device;

std::shared_ptr<DeviceChannel> CurrentDevice() {
  std::lock_guard lock(g_deviceMutex);
  return g_device;
}

std::shared_ptr<DeviceChannel> TakeDevice() {
  std::lock_guard lock(g_deviceMutex);
  return std::exchange(g_device, nullptr);
}

// What one event thread needs. The thread keeps its own handle to the
// semaphore and its own stop flag, so that the stop sequence may close the
// process-wide handle at once (the thread is never joined) and a later
// StartLink cannot revive a thread that was told to stop.
struct EventThreadState {
  std::atomic<bool> stop{false};
  UniqueHandle semaphore;
};

UniqueHandle g_semaphore;
UniqueHandle g_thread;
std::atomic<HWND> g_eventWindow{nullptr};
std::shared_ptr<EventThreadState> g_threadState;

DWORD WINAPI EventThread(void* parameter) {
  std::shared_ptr<EventThreadState> state(
      std::move(*static_cast<std::shared_ptr<EventThreadState>*>(parameter)));
  delete static_cast<std::shared_ptr<EventThreadState>*>(parameter);
  if (state->stop) return 0;
  // One record for every read: later reads pass in what the previous returned.
  DeviceEvent record = MakeEventRecord();
  for (;;) {
    if (WaitForSingleObject(state->semaphore.get(), INFINITE) != WAIT_OBJECT_0) return 0;
    // The stop sequence's own release wakes the thread only to end it.
    if (state->stop) return 0;
    if (std::shared_ptr<DeviceChannel> device = CurrentDevice()) {
      DWORD got = 0;
      if (device->Control(kIoctlReadEvent, record.bytes.data(), DeviceEvent::kSize,
                          record.bytes.data(), DeviceEvent::kSize, &got)) {
        if (HWND window = g_eventWindow.load())
          PostMessageW(window, WM_KEY_EVENT, static_cast<WPARAM>(record.word()), 0);
      }
    }
    if (state->stop) return 0;
  }
}

const wchar_t kDriverWindowClass[] = L"Q730XDriverLinkWindow";

bool RegisterDriverWindowClass() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kDriverWindowClass;
  return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HANDLE EventSemaphore() { return g_semaphore.get(); }
HANDLE EventThreadHandle() { return g_thread.get(); }

bool DriverOpen() { return CurrentDevice() != nullptr; }

bool DeviceControl(DWORD code, const void* input, DWORD inputLength, void* output,
                   DWORD outputLength) {
  std::shared_ptr<DeviceChannel> device = CurrentDevice();
  if (!device) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  DWORD got = 0;
  return device->Control(code, input, inputLength, output, outputLength, &got);
}

bool SendRequest(const DriverRequest& request) {
  return DeviceControl(kIoctlRequest, request.bytes.data(), DriverRequest::kSize, nullptr, 0);
}

bool SendReadBackRequest(DriverRequest& request) {
  return DeviceControl(kIoctlRequest, request.bytes.data(), DriverRequest::kSize,
                       request.bytes.data(), DriverRequest::kSize);
}

bool SendSetupRequest() { return SendRequest(MakeSetupRequest()); }

bool OpenDriver() {
  CloseDriver();  // never two registrations from one process
  std::shared_ptr<DeviceChannel> device = OpenDeviceChannel();
  if (!device) return false;
  const DWORD value = kConfigureValue;
  device->Control(kIoctlConfigure, &value, sizeof value, nullptr, 0, nullptr);
  // Kernel handles have 32 significant bits, so the value fits the field.
  const auto semaphore = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(g_semaphore.get()));
  const DriverRequest registration = MakeRegisterRequest(semaphore);
  if (!device->Control(kIoctlRequest, registration.bytes.data(), DriverRequest::kSize, nullptr, 0,
                       nullptr))
    return false;
  // The driver serves commands only after the set-up request; its answer
  // decides nothing here (the registration did), a refusal shows in the commands.
  const DriverRequest setup = MakeSetupRequest();
  device->Control(kIoctlRequest, setup.bytes.data(), DriverRequest::kSize, nullptr, 0, nullptr);
  std::lock_guard lock(g_deviceMutex);
  g_device = std::move(device);
  return true;
}

bool CloseDriver() {
  if (std::shared_ptr<DeviceChannel> device = TakeDevice()) {
    const DriverRequest request = MakeUnregisterRequest();
    device->Control(kIoctlRequest, request.bytes.data(), DriverRequest::kSize, nullptr, 0, nullptr);
  }
  return true;
}

// ---- CUSBDriver ------------------------------------------------------------

CUSBDriver::~CUSBDriver() { StopLink(); }

bool CUSBDriver::StartLink(HWND eventWindow) {
  if (started_) return hidLibrary_ && openHidDevice_;
  started_ = true;
  g_eventWindow = eventWindow;

  g_semaphore.reset(CreateSemaphoreW(nullptr, 0, kEventSemaphoreMaximum, nullptr));
  auto state = std::make_shared<EventThreadState>();
  HANDLE own = nullptr;
  if (g_semaphore &&
      DuplicateHandle(GetCurrentProcess(), g_semaphore.get(), GetCurrentProcess(), &own, 0, FALSE,
                      DUPLICATE_SAME_ACCESS)) {
    state->semaphore.reset(own);
    auto* parameter = new std::shared_ptr<EventThreadState>(state);
    g_thread.reset(CreateThread(nullptr, kEventThreadStack, EventThread, parameter, 0, nullptr));
    if (g_thread)
      g_threadState = state;
    else
      delete parameter;
  }

  if (RegisterDriverWindowClass()) {
    window_ = CreateWindowExW(0, kDriverWindowClass, kDriverWindowName, WS_POPUP, 1, 1, 1, 1,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }

  hidLibrary_ = LoadCompanionLibrary(kHidLibraryName);
  if (hidLibrary_) {
    openHidDevice_ = reinterpret_cast<OpenHidDeviceFunction>(
        reinterpret_cast<void*>(GetProcAddress(hidLibrary_.get(), "OpenHidDevice")));
  }
  return hidLibrary_ && openHidDevice_;
}

bool CUSBDriver::OpenHid() {
  hid_.reset();
  if (!openHidDevice_) return false;
  hid_.reset(openHidDevice_(0xFF01, 1, 0, 0, 0, 0, 1, 0x40000000));
  return hid_.valid();
}

void CUSBDriver::StopLink() {
  if (!started_) return;
  started_ = false;
  if (g_threadState) g_threadState->stop = true;
  g_eventWindow = nullptr;
  if (g_semaphore) ReleaseSemaphore(g_semaphore.get(), 1, nullptr);
  g_semaphore.reset();
  g_thread.reset();
  g_threadState.reset();
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  CloseDriver();
  hid_.reset();
  openHidDevice_ = nullptr;
  hidLibrary_.reset();
}

}  // namespace q730x
