// The event thread: each signal of the event semaphore is one read from the
// device and one 0x7EB message to the event window.
#include <gtest/gtest.h>

#include <vector>

#include "device/driver_link.h"
#include "device/keyboard_commands.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

std::vector<WPARAM> g_received;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEY_EVENT) {
    g_received.push_back(wParam);
    return 1;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A hidden window that records the event words it is sent.
HWND CreateEventWindow() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecordingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"Q730XEventTestWindow";
  RegisterClassW(&wc);
  return CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

// Pumps messages until count words arrived or timeoutMs passed.
void PumpUntil(std::size_t count, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  MSG msg;
  while (g_received.size() < count && GetTickCount64() < deadline) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (g_received.size() < count) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

class EventThreadTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("events"); }
  void SetUp() override {
    g_received.clear();
    window_ = CreateEventWindow();
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(keyboard().Admin("factory"));
    ASSERT_TRUE(keyboard().Admin("log clear"));
  }
  void TearDown() override {
    link_.StopLink();
    DestroyWindow(window_);
  }
  // Successful event reads the keyboard has served since the last clear.
  static std::size_t EventReads() {
    std::size_t n = 0;
    for (const test::LogLine& line : keyboard().LogWith("code=0x222408"))
      n += line.Field("result") == "ok";
    return n;
  }
  // Queues one event word and expects it, alone, at the window.
  static void ExpectDelivered(std::uint32_t word) {
    ASSERT_TRUE(keyboard().Admin("event " + std::to_string(word)));
    PumpUntil(1, 10000);
    EXPECT_EQ(g_received, std::vector<WPARAM>{word});
  }
  static bool WaitForEventReads(std::size_t count) {
    for (int i = 0; i < 500 && EventReads() < count; ++i) Sleep(20);
    return EventReads() == count;
  }

  CUSBDriver link_;
  HWND window_ = nullptr;
};

TEST_F(EventThreadTest, EventWordsArePostedAsTheyAre) {
  link_.StartLink(window_);
  ASSERT_TRUE(OpenDriver());
  ASSERT_TRUE(keyboard().Admin("event 0x12345678"));
  ASSERT_TRUE(keyboard().Admin("event 0xC105"));
  PumpUntil(2, 10000);
  EXPECT_EQ(g_received, (std::vector<WPARAM>{0x12345678, 0xC105}));
}

TEST_F(EventThreadTest, APressedSoftwareActionKeyReachesTheWindow) {
  link_.StartLink(window_);
  ASSERT_TRUE(OpenDriver());
  std::string reply;
  ASSERT_TRUE(keyboard().Admin("press 5", &reply));
  EXPECT_EQ(reply, "position 5 holds no software action");
  KeyMatrix matrix = FactoryMatrix();
  matrix[5] = MakeActionCode(ACTION_CAPTURE_DESKTOP, 5);
  ASSERT_TRUE(WriteKeyMatrix(matrix));
  ASSERT_TRUE(keyboard().Admin("press 5 2"));
  PumpUntil(2, 10000);
  EXPECT_EQ(g_received, (std::vector<WPARAM>{0xC105, 0xC105}));
}

TEST_F(EventThreadTest, EventsWithoutAnEventWindowAreReadAndDropped) {
  link_.StartLink(nullptr);
  ASSERT_TRUE(OpenDriver());
  ASSERT_TRUE(keyboard().Admin("event 0xC105 3"));
  EXPECT_TRUE(WaitForEventReads(3));
  link_.StopLink();

  // The same process later gets its events once a window is given.
  link_.StartLink(window_);
  ASSERT_TRUE(OpenDriver());
  ExpectDelivered(0xC106);
}

TEST_F(EventThreadTest, TheStopSequenceEndsAWaitingThreadWithoutAMessage) {
  link_.StartLink(window_);
  ASSERT_TRUE(OpenDriver());
  HANDLE thread = nullptr;
  ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), EventThreadHandle(), GetCurrentProcess(),
                              &thread, SYNCHRONIZE, FALSE, 0));
  Sleep(50);  // let it reach its wait
  link_.StopLink();
  EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  CloseHandle(thread);
  PumpUntil(1, 200);
  EXPECT_TRUE(g_received.empty());
  EXPECT_EQ(keyboard().LogWith("code=0x222408").size(), 0u);
  EXPECT_EQ(keyboard().LogWith("kind=2 ").size(), 1u);  // unregistered on the way out
  EXPECT_EQ(EventSemaphore(), nullptr);
}

TEST_F(EventThreadTest, WithTheDeviceClosedTheThreadWakesButReadsNothing) {
  link_.StartLink(window_);
  ASSERT_TRUE(ReleaseSemaphore(EventSemaphore(), 5, nullptr));
  PumpUntil(1, 300);
  EXPECT_TRUE(g_received.empty());
  // The thread is still there and serves the device once it is open.
  ASSERT_TRUE(OpenDriver());
  ExpectDelivered(0xC401);
}

TEST_F(EventThreadTest, ABurstArrivesInOrderWithoutLoss) {
  link_.StartLink(window_);
  ASSERT_TRUE(OpenDriver());
  constexpr std::size_t kBurst = 3000;
  std::string reply;
  ASSERT_TRUE(keyboard().Admin("event 0x10000 " + std::to_string(kBurst), &reply));
  EXPECT_EQ(reply, "queued 3000 events for 1 clients");
  PumpUntil(kBurst, 120000);
  ASSERT_EQ(g_received.size(), kBurst);
  for (std::size_t i = 0; i < kBurst; ++i) ASSERT_EQ(g_received[i], 0x10000 + i) << i;
}

}  // namespace
}  // namespace q730x
