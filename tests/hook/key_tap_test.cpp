// The key hook library and its binding: which libraries bind, and keys
// injected with SendInput reaching a window as 0x40A reports.
#include "device/key_tap_binding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace q730x {
namespace {

std::wstring TestsBinFile(const wchar_t* name) { return (std::filesystem::current_path() / name).wstring(); }
std::wstring DistFile(const wchar_t* name) {
  return (std::filesystem::current_path().parent_path() / "dist" / name).wstring();
}

TEST(KeyTapBinding, BindsOurLibrary) {
  KeyTapBinding binding;
  ASSERT_TRUE(binding.Bind(DistFile(L"KeyTap.dll")));
  EXPECT_TRUE(binding.HasSetFilterKey());
  EXPECT_TRUE(binding.HasSetHookMove());
  EXPECT_TRUE(binding.HasIsHooked());
  EXPECT_TRUE(binding.HasSetDebug());
}

TEST(KeyTapBinding, RefusesAMissingLibraryOrRequiredExport) {
  KeyTapBinding binding;
  EXPECT_FALSE(binding.Bind(TestsBinFile(L"NoSuchKeyTap.dll")));
  EXPECT_FALSE(binding.Bound());
  EXPECT_FALSE(binding.Bind(TestsBinFile(L"KeyTapNoParent.dll")));
  EXPECT_FALSE(binding.Bound());
  binding.InstallHook();  // an empty binding does nothing
  EXPECT_EQ(binding.IsHooked(), 0);
}

TEST(KeyTapBinding, AcceptsALibraryWithoutTheOptionalExports) {
  KeyTapBinding binding;
  ASSERT_TRUE(binding.Bind(TestsBinFile(L"KeyTapPartial.dll")));
  EXPECT_FALSE(binding.HasSetHookMove());
  EXPECT_FALSE(binding.HasSetDebug());
  HMODULE stub = GetModuleHandleW(L"KeyTapPartial.dll");
  ASSERT_NE(stub, nullptr);
  auto* calls = reinterpret_cast<int*>(reinterpret_cast<void*>(GetProcAddress(stub, "StubCalls")));
  ASSERT_NE(calls, nullptr);
  const int before = *calls;
  binding.InstallHook();
  binding.SetHookMove(1);  // skipped
  binding.SetDebug(1);     // skipped
  binding.SetParentWindow(nullptr);
  EXPECT_EQ(*calls, before + 2);
}

// A window that collects the reports it receives.
class ReportWindow {
 public:
  ReportWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Q730XKeyTapTestWindow";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, wc.lpszClassName, L"KeyTap test", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                              nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
  }
  ~ReportWindow() { DestroyWindow(window_); }
  HWND get() const { return window_; }

  struct Report {
    WPARAM vk;
    LPARAM flags;
  };
  std::vector<Report> reports;

  // Pumps messages until `count` reports arrived or about 10 s passed.
  bool WaitFor(std::size_t count) {
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (reports.size() < count && GetTickCount64() < deadline) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    return reports.size() >= count;
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kKeyTapReportMessage) {
      auto* self = reinterpret_cast<ReportWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
      if (self) self->reports.push_back({wParam, lParam});
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  HWND window_ = nullptr;
};

void Send(WORD vk, bool release, bool extended = false) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (release ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  ASSERT_EQ(SendInput(1, &input, sizeof input), 1u);
}

class KeyTapHook : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tap_.Bind(DistFile(L"KeyTap.dll")));
    tap_.InstallHook();
    ASSERT_EQ(tap_.IsHooked() & 1, 1);
    tap_.SetParentWindow(window_.get());
    tap_.SetFilterKey(1);
    tap_.SetHookStatus(true);
  }
  void TearDown() override {
    tap_.SetHookStatus(false);
    tap_.RemoveHook();
    EXPECT_EQ(tap_.IsHooked() & 1, 0);
  }
  KeyTapBinding tap_;
  ReportWindow window_;
};

TEST_F(KeyTapHook, ReportsPressesAndReleases) {
  Send('A', false);
  Send('A', true);
  Send(VK_RIGHT, false, true);
  Send(VK_RIGHT, true, true);
  ASSERT_TRUE(window_.WaitFor(4));
  ASSERT_EQ(window_.reports.size(), 4u);
  EXPECT_EQ(window_.reports[0].vk, WPARAM{'A'});
  EXPECT_EQ(window_.reports[0].flags, kKeyTapInjected);
  EXPECT_EQ(window_.reports[1].vk, WPARAM{'A'});
  EXPECT_EQ(window_.reports[1].flags, kKeyTapInjected | kKeyTapRelease);
  EXPECT_EQ(window_.reports[2].vk, WPARAM{VK_RIGHT});
  EXPECT_EQ(window_.reports[2].flags, kKeyTapInjected | kKeyTapExtended);
  EXPECT_EQ(window_.reports[3].flags, kKeyTapInjected | kKeyTapExtended | kKeyTapRelease);
}

TEST_F(KeyTapHook, OneReportPerTransition) {
  Send('B', false);
  Send('B', false);  // auto-repeat
  Send('B', false);
  Send('B', true);
  ASSERT_TRUE(window_.WaitFor(2));
  // A marker after the key proves nothing else is still on its way.
  Send('M', false);
  Send('M', true);
  ASSERT_TRUE(window_.WaitFor(4));
  ASSERT_EQ(window_.reports.size(), 4u);
  EXPECT_EQ(window_.reports[0].vk, WPARAM{'B'});
  EXPECT_EQ(window_.reports[1].vk, WPARAM{'B'});
  EXPECT_TRUE(window_.reports[1].flags & kKeyTapRelease);
  EXPECT_EQ(window_.reports[2].vk, WPARAM{'M'});
}

TEST_F(KeyTapHook, NothingWhileReportingIsOffOrWithoutAWindow) {
  tap_.SetHookStatus(false);
  Send('C', false);
  Send('C', true);
  tap_.SetHookStatus(true);
  tap_.SetParentWindow(nullptr);
  Send('D', false);
  Send('D', true);
  tap_.SetParentWindow(window_.get());
  Send('M', false);
  Send('M', true);
  ASSERT_TRUE(window_.WaitFor(2));
  // The reports are posted from the hook in input order: had C or D been
  // reported, they would have come before the marker.
  EXPECT_EQ(window_.reports[0].vk, WPARAM{'M'});
  EXPECT_EQ(window_.reports[1].vk, WPARAM{'M'});
}

}  // namespace
}  // namespace q730x
