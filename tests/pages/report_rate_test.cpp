// The report rate change as the keyboard page runs it: the keyboard's
// interval decides the checked button, OK sends the chosen interval and marks
// the change as pending, the close button changes nothing.
#include <gtest/gtest.h>

#include <functional>

#include "device/driver_link.h"
#include "markup/language_table.h"
#include "pages/report_rate_dialog.h"
#include "skin/skin_files.h"
#include "virtual_keyboard_instance.h"

namespace q730x {
namespace {

// What a timer saw of the open dialog; then it presses the buttons in `press`.
struct DialogVisit {
  bool seen = false;
  bool checked[3] = {};
  std::vector<POINT> press;
  std::vector<WORD> keys;  // then pressed on the keyboard, in this order
};
DialogVisit visit;

HWND OpenDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM out) {
        RECT r;
        GetWindowRect(window, &r);
        if (IsWindowVisible(window) && r.right - r.left == 327 && r.bottom - r.top == 170) {
          *reinterpret_cast<HWND*>(out) = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

CGDIBitmapBtn* ButtonAt(HWND dialog, POINT p) {
  return dynamic_cast<CGDIBitmapBtn*>(Window::FromHandle(ChildWindowFromPoint(dialog, p)));
}

const POINT k125{85, 86}, k500{158, 86}, k1000{234, 86}, kOk{262, 154}, kClose{311, 12};

void CALLBACK VisitDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = OpenDialog();
  if (!dialog || !ButtonAt(dialog, k1000)) return;  // not ready yet: the timer fires again
  KillTimer(nullptr, timer);
  visit.seen = true;
  const POINT rates[3] = {k125, k500, k1000};
  for (int i = 0; i < 3; ++i) visit.checked[i] = ButtonAt(dialog, rates[i])->checked();
  for (POINT p : visit.press) SendMessageW(ButtonAt(dialog, p)->hwnd(), BM_CLICK, 0, 0);
  if (visit.keys.empty()) return;
  SetForegroundWindow(dialog);
  SetFocus(dialog);
  for (WORD key : visit.keys) {
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
  }
}

class ReportRateTest : public test::VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("rate"); }
  void SetUp() override {
    ASSERT_TRUE(keyboard().Admin("factory"));
    link_.StartLink(nullptr);
    ASSERT_TRUE(OpenDriver());
    ASSERT_TRUE(keyboard().Admin("log clear"));
    Language.str_OK = L"OK";
  }
  void TearDown() override {
    link_.StopLink();
    Language = LanguageTable{};
  }
  bool Run(std::vector<POINT> press, std::vector<WORD> keys = {}) {
    visit = DialogVisit{};
    visit.press = std::move(press);
    visit.keys = std::move(keys);
    SetTimer(nullptr, 0, 100, &VisitDialog);
    return ChangeReportRate(rate_, pending_, nullptr);
  }

  GdiplusSession gdiplus_;
  CUSBDriver link_;
  std::uint32_t rate_ = 1000;
  bool pending_ = false;
};

TEST_F(ReportRateTest, KeyboardsIntervalChecksItsRateAndOkSendsTheChoice) {
  ASSERT_TRUE(keyboard().Admin("interval 2"));
  const std::size_t rejoins = keyboard().Rejoins();
  EXPECT_TRUE(Run({k125, kOk}));
  ASSERT_TRUE(visit.seen);
  EXPECT_FALSE(visit.checked[0]);
  EXPECT_TRUE(visit.checked[1]);  // 1000 / 2 = 500
  EXPECT_FALSE(visit.checked[2]);
  EXPECT_EQ(rate_, 125u);
  EXPECT_TRUE(pending_);
  EXPECT_TRUE(keyboard().WaitForDump("interval", "8"));
  EXPECT_TRUE(keyboard().WaitForRejoin(rejoins));  // back on the bus after its reset
}

TEST_F(ReportRateTest, ClosingChangesNothingAndSendsNothing) {
  EXPECT_FALSE(Run({k1000, k125, kClose}));
  ASSERT_TRUE(visit.seen);
  EXPECT_TRUE(visit.checked[2]);  // the factory interval of 1 ms
  EXPECT_EQ(rate_, 1000u);
  EXPECT_FALSE(pending_);
  EXPECT_EQ(keyboard().DumpField("interval"), "1");
}

TEST_F(ReportRateTest, EnterTakesTheChoiceJustAsTheOkButtonDoes) {
  EXPECT_TRUE(Run({k500}, {VK_RETURN}));
  EXPECT_EQ(rate_, 500u);
  EXPECT_TRUE(pending_);
  EXPECT_TRUE(keyboard().WaitForDump("interval", "2"));
}

TEST_F(ReportRateTest, EscapeCancelsLikeTheCloseButton) {
  EXPECT_FALSE(Run({k125}, {VK_ESCAPE}));
  EXPECT_EQ(rate_, 1000u);
  EXPECT_FALSE(pending_);
  EXPECT_EQ(keyboard().DumpField("interval"), "1");
}

TEST_F(ReportRateTest, AnUnusualIntervalChecksNothingAndOkKeepsTheRate) {
  ASSERT_TRUE(keyboard().Admin("interval 4"));
  EXPECT_TRUE(Run({kOk}));
  EXPECT_FALSE(visit.checked[0] || visit.checked[1] || visit.checked[2]);
  EXPECT_EQ(rate_, 250u);
  EXPECT_TRUE(keyboard().WaitForDump("interval", "8"));
}

TEST_F(ReportRateTest, NoAnswerOrZeroKeepsTheProfilesRate) {
  ASSERT_TRUE(keyboard().Admin("interval 0"));
  EXPECT_FALSE(Run({kClose}));
  EXPECT_TRUE(visit.checked[2]);
  EXPECT_EQ(rate_, 1000u);
  ASSERT_TRUE(keyboard().Admin("refuse 5"));
  rate_ = 500;
  EXPECT_FALSE(Run({kClose}));
  EXPECT_TRUE(visit.checked[1]);
  EXPECT_EQ(rate_, 500u);
  ASSERT_TRUE(keyboard().Admin("refuse 0"));
}

TEST(ReportInterval, RatesMapToIntervals) {
  EXPECT_EQ(IntervalForRate(125), 8);
  EXPECT_EQ(IntervalForRate(500), 2);
  EXPECT_EQ(IntervalForRate(1000), 1);
  EXPECT_EQ(IntervalForRate(250), 8);
  EXPECT_EQ(IntervalForRate(0), 8);
}

}  // namespace
}  // namespace q730x
