// Following the keyboard on the bus: the virtual keyboard's presence report,
// the hardware id test, the start-up wait, reading notifications (including
// hostile records), notifications reaching a window, and the tracker's
// decisions on arrival, removal and the HID retry timer.
#include <gtest/gtest.h>

#include <windows.h>
#include <dbt.h>

#include <string>
#include <vector>

#include "device/device_notifications.h"
#include "device/driver_link.h"
#include "device/presence_tracker.h"
#include "device/usb_presence.h"
#include "message_window.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

// ---- Reading notification records -----------------------------------------

std::vector<std::uint8_t> InterfaceRecord(const std::wstring& name, DWORD type = DBT_DEVTYP_DEVICEINTERFACE,
                                          int sizeAdjust = 0) {
  constexpr std::size_t nameOffset = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  std::vector<std::uint8_t> bytes(nameOffset + (name.size() + 1) * 2 + 64, 0xEE);
  auto* r = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(bytes.data());
  r->dbcc_size = DWORD(int(nameOffset + (name.size() + 1) * 2) + sizeAdjust);
  r->dbcc_devicetype = type;
  r->dbcc_reserved = 0;
  auto* text = reinterpret_cast<wchar_t*>(bytes.data() + nameOffset);
  for (std::size_t i = 0; i <= name.size(); ++i) text[i] = i < name.size() ? name[i] : L'\0';
  return bytes;
}

DeviceChange Read(WPARAM event, std::vector<std::uint8_t> record) {
  return ReadDeviceChange(event, reinterpret_cast<LPARAM>(record.data()));
}

const std::wstring kKeyboardPath = L"\\\\?\\USB#VID_3A5C&PID_4006#1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";

TEST(DeviceChangeRecord, ArrivalAndRemovalOfTheKeyboardInAnyLetterCase) {
  EXPECT_EQ(Read(DBT_DEVICEARRIVAL, InterfaceRecord(kKeyboardPath)), DeviceChange::KeyboardArrived);
  EXPECT_EQ(Read(DBT_DEVICEREMOVECOMPLETE, InterfaceRecord(kKeyboardPath)), DeviceChange::KeyboardRemoved);
  EXPECT_EQ(Read(DBT_DEVICEARRIVAL, InterfaceRecord(L"\\\\?\\usb#vid_3a5c&pid_4006#1")),
            DeviceChange::KeyboardArrived);
  // Other events and other devices (the loader among them) mean nothing here.
  EXPECT_EQ(Read(DBT_DEVICEQUERYREMOVE, InterfaceRecord(kKeyboardPath)), DeviceChange::None);
  EXPECT_EQ(Read(DBT_DEVICEARRIVAL, InterfaceRecord(L"\\\\?\\USB#VID_04D9&PID_8022#1")), DeviceChange::None);
  EXPECT_EQ(Read(DBT_DEVICEARRIVAL, InterfaceRecord(L"\\\\?\\USB#VID_3A5C&PID_4007#1")), DeviceChange::None);
}

TEST(DeviceChangeRecord, RecordsAreReadOnlyAsFarAsTheyReach) {
  EXPECT_EQ(ReadDeviceChange(DBT_DEVICEARRIVAL, 0), DeviceChange::None);
  // A volume record is 20 bytes: no name at offset 28 may be read from it.
  DEV_BROADCAST_VOLUME volume{sizeof volume, DBT_DEVTYP_VOLUME, 0, 1, 0};
  EXPECT_EQ(ReadDeviceChange(DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&volume)), DeviceChange::None);
  EXPECT_EQ(Read(DBT_DEVICEARRIVAL, InterfaceRecord(kKeyboardPath, DBT_DEVTYP_HANDLE)), DeviceChange::None);
  // A size that ends the record inside the id: the id is not there.
  const int cut = -int((kKeyboardPath.size() + 1 - 20) * 2);
  EXPECT_EQ(Read(DBT_DEVICEARRIVAL, InterfaceRecord(kKeyboardPath, DBT_DEVTYP_DEVICEINTERFACE, cut)),
            DeviceChange::None);
  // A size that reaches just the name's offset, or less.
  EXPECT_EQ(Read(DBT_DEVICEARRIVAL, InterfaceRecord(L"", DBT_DEVTYP_DEVICEINTERFACE, -2)), DeviceChange::None);
  // A name without a terminator inside its record still reads up to the record's end.
  EXPECT_EQ(Read(DBT_DEVICEARRIVAL, InterfaceRecord(kKeyboardPath, DBT_DEVTYP_DEVICEINTERFACE, -2)),
            DeviceChange::KeyboardArrived);
}

// ---- The start-up wait -----------------------------------------------------

struct FakeBus {
  explicit FakeBus(std::vector<std::pair<bool, bool>> t) : tries(std::move(t)) {}
  std::vector<std::pair<bool, bool>> tries;  // keyboard, loader: one pair per try
  std::size_t asked = 0;
  std::vector<DWORD> waits;
  DeviceWait Run() {
    auto present = [this](std::wstring_view id) {
      const auto& t = tries[std::min(asked / 2, tries.size() - 1)];
      ++asked;
      return id == kKeyboardHardwareId ? t.first : t.second;
    };
    return WaitForDevice(present, [this](DWORD ms) { waits.push_back(ms); });
  }
};

TEST(WaitForDevice, KeyboardAtOnceSecondTryLoaderOnlyOrNothing) {
  FakeBus plugged({{true, false}});
  DeviceWait w = plugged.Run();
  EXPECT_TRUE(w.proceed);
  EXPECT_FALSE(w.loaderPresent);
  EXPECT_TRUE(plugged.waits.empty());

  FakeBus late({{false, false}, {true, false}});
  EXPECT_TRUE(late.Run().proceed);
  EXPECT_EQ(late.waits, std::vector<DWORD>{500});

  FakeBus loader({{false, true}});
  w = loader.Run();
  EXPECT_TRUE(w.proceed);
  EXPECT_TRUE(w.loaderPresent);

  FakeBus loaderGone({{false, true}, {false, false}});
  EXPECT_FALSE(loaderGone.Run().proceed);  // only the last try's loader counts

  FakeBus nothing({{false, false}});
  EXPECT_FALSE(nothing.Run().proceed);
  EXPECT_EQ(nothing.waits, (std::vector<DWORD>{500, 500}));
}

// ---- The tracker -----------------------------------------------------------

struct FakeWindow : PresenceActions {
  PresenceFlags flags;
  bool pageExists = true, hidOpens = true, timerRunning = false;
  std::vector<std::string> calls;
  PresenceFlags* KeyboardPage() override { return pageExists ? &flags : nullptr; }
  void Wait(DWORD ms) override { calls.push_back("wait " + std::to_string(ms)); }
  bool OpenHid() override {
    calls.push_back("open");
    return hidOpens;
  }
  void ReadFirmwareVersion() override { calls.push_back("version"); }
  void StartRetryTimer() override { timerRunning = true, calls.push_back("timer on"); }
  void StopRetryTimer() override { timerRunning = false, calls.push_back("timer off"); }
  void ShowMessage(const std::wstring& text) override {
    calls.push_back("message " + std::string(text.begin(), text.end()));
  }
  void Exit() override { calls.push_back("exit"); }
};

class PresenceTrackerTest : public testing::Test {
 protected:
  void TearDown() override { FirmwareUpdateActive = false; }
  void Notify(WPARAM event, const std::wstring& path = kKeyboardPath) {
    std::vector<std::uint8_t> record = InterfaceRecord(path);
    EXPECT_EQ(tracker_.OnDeviceChange(event, reinterpret_cast<LPARAM>(record.data())), 0);
  }
  using Calls = std::vector<std::string>;
  FakeWindow window_;
  PresenceTracker tracker_{window_};
};

TEST_F(PresenceTrackerTest, UnexpectedRemovalEndsTheProgramExpectedOnesDoNot) {
  Notify(DBT_DEVICEREMOVECOMPLETE);
  EXPECT_TRUE(window_.flags.deviceAbsent);
  EXPECT_EQ(window_.calls, Calls{"exit"});

  window_.calls.clear();
  window_.flags.rateChangePending = true;
  Notify(DBT_DEVICEREMOVECOMPLETE);
  EXPECT_TRUE(window_.calls.empty());

  window_.flags.rateChangePending = false;
  FirmwareUpdateActive = true;
  Notify(DBT_DEVICEREMOVECOMPLETE);
  EXPECT_TRUE(window_.calls.empty());
}

TEST_F(PresenceTrackerTest, ArrivalClearsTheFlagsAndReopensOrStartsTheTimer) {
  window_.flags.deviceAbsent = true;
  window_.flags.rateChangePending = true;
  Notify(DBT_DEVICEARRIVAL);
  EXPECT_FALSE(window_.flags.deviceAbsent);
  EXPECT_FALSE(window_.flags.rateChangePending);
  EXPECT_EQ(window_.calls, (Calls{"wait 200", "open", "version"}));

  window_.calls.clear();
  window_.hidOpens = false;
  Notify(DBT_DEVICEARRIVAL);
  EXPECT_EQ(window_.calls, (Calls{"wait 200", "open", "timer on"}));
}

TEST_F(PresenceTrackerTest, OtherDevicesAndAMissingPageChangeNothing) {
  Notify(DBT_DEVICEREMOVECOMPLETE, L"\\\\?\\USB#VID_1D6B&PID_0002#HUB");
  Notify(DBT_DEVICEARRIVAL, L"\\\\?\\USB#VID_1D6B&PID_0002#HUB");
  window_.pageExists = false;
  Notify(DBT_DEVICEREMOVECOMPLETE);
  EXPECT_TRUE(window_.calls.empty());
  EXPECT_FALSE(window_.flags.deviceAbsent);
}

TEST_F(PresenceTrackerTest, RetryTimerGivesUpWithAMessageAfterFortyOneFailures) {
  window_.hidOpens = false;
  window_.timerRunning = true;
  for (int i = 0; i < 40; ++i) tracker_.OnRetryTimer();
  EXPECT_TRUE(window_.timerRunning);
  tracker_.OnRetryTimer();
  EXPECT_FALSE(window_.timerRunning);
  EXPECT_EQ(window_.calls.back(), "message Program initialize device error");
  EXPECT_EQ(tracker_.hidOpenRetries(), 41);

  // An arrival does not forget the failures; a success does.
  window_.calls.clear();
  window_.hidOpens = true;
  tracker_.OnRetryTimer();
  EXPECT_EQ(tracker_.hidOpenRetries(), 0);
  EXPECT_EQ(window_.calls, (Calls{"open", "timer off", "version"}));
}

// ---- Against the virtual keyboard ------------------------------------------

// A window that keeps the device changes it is sent.
class ChangeWindow {
 public:
  HWND hwnd() const { return window_.hwnd(); }
  std::vector<DeviceChange> changes;
  std::vector<std::wstring> names;

  bool WaitFor(std::size_t count, DWORD ms = 5000) {
    return test::MessageWindow::PumpUntil([&] { return changes.size() >= count; }, ms);
  }
  static void Pump(DWORD ms) { test::MessageWindow::PumpUntil(nullptr, ms); }

 private:
  test::MessageWindow window_{[this](UINT message, WPARAM w, LPARAM l, LRESULT& result) {
    if (message != WM_DEVICECHANGE) return false;
    changes.push_back(ReadDeviceChange(w, l));
    names.push_back(reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(l)->dbcc_name);
    result = TRUE;
    return true;
  }};
};

class VirtualPresenceTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("presence"); }
  void SetUp() override { ASSERT_TRUE(keyboard().Admin("factory")); }
};

// The tracker's HID reopen through the real link and HID library.
struct HidLinkWindow : FakeWindow {
  explicit HidLinkWindow(CUSBDriver& link) : link(link) {}
  bool OpenHid() override {
    calls.push_back("open");
    return link.OpenHid();
  }
  CUSBDriver& link;
};

TEST_F(VirtualPresenceTest, AnInterfaceThatOpensLateIsReopenedByTheRetryTimer) {
  CUSBDriver link;
  link.StartLink(nullptr);
  HidLinkWindow window(link);
  PresenceTracker tracker(window);
  ASSERT_TRUE(keyboard().Admin("hid-delay 600"));
  ASSERT_TRUE(keyboard().Admin("unplug"));
  ASSERT_TRUE(keyboard().Admin("plug"));
  std::vector<std::uint8_t> record = InterfaceRecord(kKeyboardPath);
  tracker.OnDeviceChange(DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(record.data()));
  EXPECT_EQ(window.calls, (std::vector<std::string>{"wait 200", "open", "timer on"}));
  int ticks = 0;
  for (; window.timerRunning && ticks < 40; ++ticks) {
    Sleep(100);  // the timer's period, shortened
    tracker.OnRetryTimer();
  }
  EXPECT_FALSE(window.timerRunning);
  EXPECT_GE(ticks, 4) << "the interface opens 600 ms after the plug";
  EXPECT_EQ(tracker.hidOpenRetries(), 0);
  EXPECT_EQ(window.calls.back(), "version");
  EXPECT_TRUE(link.HidOpen());
}

TEST_F(VirtualPresenceTest, KeyboardLoaderAndHubAreSeenOnTheBus) {
  EXPECT_TRUE(UsbDevicePresent(kKeyboardHardwareId));
  EXPECT_TRUE(UsbDevicePresent(L"vid_3a5c&pid_4006"));
  EXPECT_FALSE(UsbDevicePresent(kLoaderHardwareId));
  EXPECT_TRUE(UsbDevicePresent(L"VID_1D6B"));
  ASSERT_TRUE(keyboard().Admin("loader on"));
  EXPECT_FALSE(UsbDevicePresent(kKeyboardHardwareId));
  EXPECT_TRUE(UsbDevicePresent(kLoaderHardwareId));
  ASSERT_TRUE(keyboard().Admin("unplug"));
  EXPECT_FALSE(UsbDevicePresent(kKeyboardHardwareId));
  EXPECT_FALSE(UsbDevicePresent(kLoaderHardwareId));
  EXPECT_FALSE(WaitForDevice(UsbDevicePresent, [](DWORD) {}).proceed);
}

TEST_F(VirtualPresenceTest, PresenceReportNumbersEachArrivalAndRemoval) {
  std::string before;
  ASSERT_TRUE(keyboard().Admin("presence", &before));
  const unsigned long long start = std::stoull(before.substr(before.find(' ') + 1));
  ASSERT_TRUE(keyboard().Admin("unplug"));
  ASSERT_TRUE(keyboard().Admin("plug"));
  std::string after;
  ASSERT_TRUE(keyboard().Admin("presence " + std::to_string(start), &after));
  const std::string removal = "removal " + std::to_string(start + 1) + " \\\\?\\USB#VID_3A5C&PID_4006#";
  const std::string arrival = "arrival " + std::to_string(start + 2) + " \\\\?\\USB#VID_3A5C&PID_4006#";
  EXPECT_NE(after.find(removal), std::string::npos) << after;
  EXPECT_NE(after.find(arrival), std::string::npos) << after;
  EXPECT_LT(after.find(removal), after.find(arrival));
  EXPECT_FALSE(keyboard().Admin("presence soon"));
}

TEST_F(VirtualPresenceTest, NotificationsReachTheWindowInOrderUntilTheRegistrationEnds) {
  ChangeWindow window;
  auto registration = RegisterDeviceNotifications(window.hwnd());
  ASSERT_NE(registration, nullptr);
  ChangeWindow::Pump(300);  // the follower learns where the history stands
  EXPECT_TRUE(window.changes.empty()) << "old history must not be replayed";

  ASSERT_TRUE(keyboard().Admin("unplug"));
  ASSERT_TRUE(keyboard().Admin("plug"));
  ASSERT_TRUE(window.WaitFor(2));
  EXPECT_EQ(window.changes[0], DeviceChange::KeyboardRemoved);
  EXPECT_EQ(window.changes[1], DeviceChange::KeyboardArrived);
  EXPECT_NE(window.names[1].find(L"{a5dcbf10-6530-11d2-901f-00c04fb951ed}"), std::wstring::npos);

  // Into the loader: the keyboard leaves and the loader (not the keyboard) arrives.
  ASSERT_TRUE(keyboard().Admin("loader on"));
  ASSERT_TRUE(window.WaitFor(4));
  EXPECT_EQ(window.changes[2], DeviceChange::KeyboardRemoved);
  EXPECT_EQ(window.changes[3], DeviceChange::None);
  EXPECT_NE(window.names[3].find(L"VID_04D9&PID_8022"), std::wstring::npos);

  registration.reset();
  ASSERT_TRUE(keyboard().Admin("loader off"));
  ChangeWindow::Pump(400);
  EXPECT_EQ(window.changes.size(), 4u);
}

TEST_F(VirtualPresenceTest, ARemovalRightAfterTheRegistrationIsNotMissed) {
  ChangeWindow window;
  auto registration = RegisterDeviceNotifications(window.hwnd());
  ASSERT_NE(registration, nullptr);
  ASSERT_TRUE(keyboard().Admin("unplug"));  // before the follower's first poll
  ASSERT_TRUE(window.WaitFor(1));
  EXPECT_EQ(window.changes[0], DeviceChange::KeyboardRemoved);
  ASSERT_TRUE(keyboard().Admin("plug"));
  ASSERT_TRUE(window.WaitFor(2));
}

TEST(SystemPresence, RealBusHasNoKeyboardHereAndRegistersCleanly) {
  // The real side, whatever this process was pointed at; put back at the end.
  const std::optional<std::wstring> before = ReadOverride(kDeviceOverride);
  test::SetOverride(kDeviceOverride, nullptr);
  EXPECT_FALSE(UsbDevicePresent(kKeyboardHardwareId));
  // A top-level window, as the main window is.
  HWND top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(top);
  auto registration = RegisterDeviceNotifications(top);
  EXPECT_NE(registration, nullptr);
  registration.reset();
  DestroyWindow(top);
  if (before) test::SetOverride(kDeviceOverride, before->c_str());
}

}  // namespace
}  // namespace q730x
