// KeyTap.dll: a system-wide low-level keyboard hook that reports every key
// press and release to one window of the utility, as message 0x40A with the
// virtual key in wParam and the low-level event flags in lParam.
//
// The hook lives on a thread of its own with its own message loop, because a
// low-level hook is called on the thread that installed it and that thread
// must keep pumping messages; so callers need not care which thread calls in.
#include <windows.h>

#include <atomic>
#include <bitset>
#include <cstdint>
#include <mutex>

namespace {

constexpr UINT kKeyReportMessage = 0x40A;
// The flags a report carries: extended key, injected, Alt held, release.
constexpr DWORD kReportedFlags = LLKHF_EXTENDED | LLKHF_INJECTED | LLKHF_ALTDOWN | LLKHF_UP;

HMODULE g_module = nullptr;

std::atomic<bool> g_reporting{false};
std::atomic<bool> g_filterRepeats{false};
std::atomic<bool> g_hookMove{false};
std::atomic<bool> g_debug{false};
std::atomic<HWND> g_parent{nullptr};

// Keys held down, as far as the hook has seen; touched only on the hook thread.
std::bitset<256> g_down;

// The hook thread and its state, guarded by g_lifecycle.
std::mutex g_lifecycle;
HANDLE g_thread = nullptr;
DWORD g_threadId = 0;
std::atomic<bool> g_installed{false};

LRESULT CALLBACK KeyboardProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const DWORD vk = event->vkCode & 0xFF;
    const bool release = (event->flags & LLKHF_UP) != 0;
    // An auto-repeated press of a key already down is no transition.
    const bool repeat = !release && g_down.test(vk);
    g_down.set(vk, !release);
    HWND parent = g_parent.load();
    if (g_reporting.load() && parent != nullptr && !(repeat && g_filterRepeats.load())) {
      const DWORD flags = event->flags & kReportedFlags;
      PostMessageW(parent, kKeyReportMessage, event->vkCode, static_cast<LPARAM>(flags));
      if (g_debug.load()) {
        wchar_t line[64];
        wsprintfW(line, L"KeyTap: vk 0x%02X flags 0x%02X\n", event->vkCode, flags);
        OutputDebugStringW(line);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct StartState {
  HANDLE ready;
  bool hooked;
};

DWORD WINAPI HookThread(void* parameter) {
  auto* start = static_cast<StartState*>(parameter);
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists before anyone posts
  HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardProc, g_module, 0);
  start->hooked = hook != nullptr;
  SetEvent(start->ready);
  if (!hook) return 1;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  UnhookWindowsHookEx(hook);
  return 0;
}

}  // namespace

extern "C" {

// Installs the hook (once; a second call while installed does nothing).
// Returns 1 when the hook is installed.
__declspec(dllexport) int InstallHook(int, int) {
  std::lock_guard<std::mutex> lock(g_lifecycle);
  if (g_installed.load()) return 1;
  StartState start{CreateEventW(nullptr, TRUE, FALSE, nullptr), false};
  if (!start.ready) return 0;
  g_down.reset();
  HANDLE thread = CreateThread(nullptr, 0, HookThread, &start, 0, &g_threadId);
  if (thread) WaitForSingleObject(start.ready, INFINITE);
  CloseHandle(start.ready);
  if (!thread) return 0;
  if (!start.hooked) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return 0;
  }
  g_thread = thread;
  g_installed.store(true);
  return 1;
}

// Removes the hook and ends its thread. Reporting is switched off.
__declspec(dllexport) int RemoveHook() {
  std::lock_guard<std::mutex> lock(g_lifecycle);
  g_reporting.store(false);
  if (!g_installed.load()) return 0;
  PostThreadMessageW(g_threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(g_thread, INFINITE);
  CloseHandle(g_thread);
  g_thread = nullptr;
  g_installed.store(false);
  return 1;
}

// on = 1 starts reporting to the parent window, 0 stops it.
__declspec(dllexport) int SetHookStatus(int on, int) {
  g_reporting.store(on != 0);
  return 1;
}

// 1: report only transitions (auto-repeated presses are dropped); 0: report
// every press the system delivers, repeats included.
__declspec(dllexport) int SetFilterKey(int on) {
  g_filterRepeats.store(on != 0);
  return 1;
}

// Accepted for callers that expect it; the hook reports keys only.
__declspec(dllexport) int SetHookMove(int on) {
  g_hookMove.store(on != 0);
  return 1;
}

// The window that receives the reports; 0 for none. Window handles are
// 32-bit values, sign-extended to a pointer.
__declspec(dllexport) int SetParentWindow(int window) {
  g_parent.store(reinterpret_cast<HWND>(static_cast<std::intptr_t>(window)));
  return 1;
}

// Bit 0: the hook is installed.
__declspec(dllexport) int IsHooked() { return g_installed.load() ? 1 : 0; }

// 1: every report is also written to the debugger output.
__declspec(dllexport) int SetDebug(int on) {
  g_debug.store(on != 0);
  return 1;
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
