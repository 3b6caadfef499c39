// The key setting dialog as the keyboard page runs it: modal, for one key,
// driven with the real pointer and real keys, with the real key hook
// library reporting the keys to the combination page.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "device/key_tap_binding.h"
#include "dialog_script.h"
#include "gui_support.h"
#include "key_input.h"
#include "markup/language_table.h"
#include "model/key_code.h"
#include "model/profile_buffers.h"
#include "pages/advanced_function_page.h"
#include "pages/key_combination_page.h"
#include "pages/key_setting_dialog.h"
#include "skin/skin_files.h"

namespace q730x {
namespace {

using test::ClickAt;
using test::Pump;
using test::PumpUntil;
using test::TapKey;
using Button = CSettingDlg::Button;

// Client points of the dialog's buttons and of the combination page's boxes.
constexpr POINT kClose{397, 12}, kOk{354, 271}, kRestore{276, 271}, kDisable{32, 267};
constexpr POINT kTab1{55, 50}, kTab2{159, 50}, kTab3{255, 50}, kTab4{358, 50};
constexpr POINT kCtrlBox{65, 51}, kAltBox{65, 76};  // in the combination page

// A window that collects the hook's reports, to see whether capture is on.
class ReportCounter {
 public:
  ReportCounter() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = [](HWND w, UINT m, WPARAM p, LPARAM l) -> LRESULT {
      if (m == kKeyTapReportMessage) {
        ++*reinterpret_cast<int*>(GetWindowLongPtrW(w, GWLP_USERDATA));
        return 0;
      }
      return DefWindowProcW(w, m, p, l);
    };
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"Q730XSettingTestReports";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                              wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count));
  }
  ~ReportCounter() { DestroyWindow(window_); }
  HWND get() const { return window_; }
  int count = 0;

 private:
  HWND window_;
};

class KeySettingTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const auto dist = std::filesystem::current_path().parent_path() / "dist";
    ASSERT_TRUE(KeyTap.Bind((dist / "KeyTap.dll").wstring()));
    BuildDefaultMatrix();
  }
  void SetUp() override {
    buffers::ClearAll();
    buffers::KeyMatrix = DefaultMatrix;
    Language.str_OK = L"OK";
    Language.str_restore = L"Restore";
    Language.str_buttondefault = L"Now: ";
    Language.str_disable = L"Disabled";
  }
  void TearDown() override {
    Language = LanguageTable{};
    KeyTap.SetHookStatus(false);
  }

  INT_PTR Run(int position, std::function<void()> steps, HWND parent = nullptr) {
    dialog_.assignment().position = position;
    test::RunWhenShown(CSettingDlg::kWindowText, [steps = std::move(steps)](HWND) { steps(); });
    return dialog_.RunModal(parent);
  }
  HWND hwnd() const { return dialog_.hwnd(); }
  void Click(POINT p) { ClickAt(hwnd(), p); }
  void ClickInCombo(POINT p) { ClickAt(dialog_.comboPage()->hwnd(), p); }
  // Taps a key and waits until the combination page has it.
  bool Capture(WORD vk) {
    TapKey(vk);
    return PumpUntil([&] { return dialog_.comboPage()->capturedKey() == vk; });
  }
  bool Shown(const Window* page) const { return IsWindowVisible(page->hwnd()); }
  std::uint32_t Code() { return dialog_.assignment().code.Value(); }

  GdiplusSession gdiplus_;
  CSettingDlg dialog_;
};

TEST_F(KeySettingTest, CtrlTickedAndCPressedGiveCtrlC) {
  EXPECT_EQ(Run(17, [&] {
              ClickInCombo(kCtrlBox);
              EXPECT_TRUE(dialog_.comboPage()->checked(ComboModifier::Ctrl));
              EXPECT_TRUE(Capture('C'));
              Click(kOk);
            }),
            IDOK);
  EXPECT_EQ(Code(), 0x00060100u);
  EXPECT_EQ(dialog_.assignment().position, 17);
  EXPECT_EQ(dialog_.assignment().aux[0], u'\0');
}

TEST_F(KeySettingTest, OkAtOnceEndsAsCancelledWithNoCode) {
  EXPECT_EQ(Run(17, [&] { Click(kOk); }), IDCANCEL);
  EXPECT_EQ(Code(), 0u);
}

TEST_F(KeySettingTest, CloseEndsAsCancelledWhateverWasChosen) {
  EXPECT_EQ(Run(17, [&] {
              EXPECT_TRUE(Capture('A'));
              Click(kClose);
            }),
            IDCANCEL);
}

TEST_F(KeySettingTest, DisableThenOkGivesTheDisabledCode) {
  EXPECT_EQ(Run(17, [&] {
              Click(kTab4);
              Click(kDisable);
              Click(kOk);
            }),
            IDOK);
  EXPECT_EQ(Code(), 0x0000000Fu);
}

TEST_F(KeySettingTest, RestoreGivesTheFactoryCode) {
  EXPECT_EQ(Run(120, [&] { Click(kRestore); }), IDOK);
  EXPECT_EQ(Code(), 0x0001000Eu);
}

TEST_F(KeySettingTest, RestoreOnSpaceGivesTheSpaceKey) {
  EXPECT_EQ(Run(91, [&] {
              EXPECT_TRUE(Capture('Q'));  // what the page holds does not matter
              Click(kRestore);
            }),
            IDOK);
  EXPECT_EQ(Code(), 0x002C0000u);
}

TEST_F(KeySettingTest, EnterAndEscapeAreCapturedAndNeverEndTheDialog) {
  EXPECT_EQ(Run(17, [&] {
              EXPECT_TRUE(Capture(VK_ESCAPE));
              EXPECT_TRUE(Capture(VK_RETURN));
              TapKey(VK_SPACE);
              Pump(200);
              EXPECT_TRUE(IsWindowVisible(hwnd()));
              EXPECT_EQ(dialog_.comboPage()->capturedKey(), UINT(VK_SPACE));
              EXPECT_TRUE(Capture(VK_RETURN));
              Click(kOk);
            }),
            IDOK);
  EXPECT_EQ(Code(), 0x00280000u);
}

TEST_F(KeySettingTest, EnterAndEscapeDoNotEndItOnAnotherPageEither) {
  EXPECT_EQ(Run(17, [&] {
              Click(kTab4);
              TapKey(VK_RETURN);
              TapKey(VK_ESCAPE);
              Pump(200);
              EXPECT_TRUE(IsWindowVisible(hwnd()));
              Click(kClose);
            }),
            IDCANCEL);
}

TEST_F(KeySettingTest, AKeyPressedWhileDisabledReachesTheHiddenPage) {
  EXPECT_EQ(Run(17, [&] {
              Click(kDisable);
              EXPECT_FALSE(Shown(dialog_.comboPage()));
              EXPECT_FALSE(dialog_.button(Button::Tab1).checked());
              EXPECT_TRUE(Capture('A'));
              // Tabs change nothing while the box is checked.
              Click(kTab4);
              EXPECT_FALSE(Shown(dialog_.advancedPage()));
              EXPECT_FALSE(dialog_.button(Button::Tab4).checked());
              // Clearing the box shows the page again, with capture off.
              Click(kDisable);
              EXPECT_TRUE(Shown(dialog_.comboPage()));
              EXPECT_TRUE(dialog_.button(Button::Tab1).checked());
              EXPECT_EQ(dialog_.currentPage(), CSettingDlg::kComboQuiet);
              TapKey('B');
              Pump(300);
              EXPECT_EQ(dialog_.comboPage()->capturedKey(), UINT('A'));
              // Tab 1 switches capture on again.
              Click(kTab1);
              EXPECT_EQ(dialog_.currentPage(), CSettingDlg::kCombo);
              EXPECT_TRUE(Capture('B'));
              Click(kOk);
            }),
            IDOK);
  EXPECT_EQ(Code(), 0x00050000u);
}

TEST_F(KeySettingTest, AnotherPageAndBackKeepsTheCombination) {
  EXPECT_EQ(Run(17, [&] {
              ClickInCombo(kAltBox);
              EXPECT_TRUE(Capture(VK_F4));
              Click(kTab4);
              EXPECT_TRUE(Shown(dialog_.advancedPage()));
              EXPECT_FALSE(Shown(dialog_.comboPage()));
              EXPECT_EQ(dialog_.currentPage(), CSettingDlg::kAdvanced);
              TapKey('X');  // capture is off on the advanced page
              Pump(300);
              Click(kTab1);
              EXPECT_TRUE(Shown(dialog_.comboPage()));
              EXPECT_EQ(dialog_.comboPage()->capturedKey(), UINT(VK_F4));
              EXPECT_TRUE(dialog_.comboPage()->checked(ComboModifier::Alt));
              Click(kOk);
            }),
            IDOK);
  EXPECT_EQ(Code(), 0x003D0400u);  // Alt+F4
}

TEST_F(KeySettingTest, ACloseRequestFromOutsideCancelsAndStopsCapture) {
  EXPECT_EQ(Run(17, [&] {
              EXPECT_TRUE(Capture('A'));
              PostMessageW(hwnd(), WM_CLOSE, 0, 0);
            }),
            IDCANCEL);
  EXPECT_EQ(Code(), 0u);
  // Reporting is off: a window given to the library hears nothing.
  ReportCounter reports;
  KeyTap.SetParentWindow(reports.get());
  TapKey('A');
  Pump(300);
  EXPECT_EQ(reports.count, 0);
}

// The keyboard page is a child of the main window: the dialog is centred on
// the main window, and says what the key does now.
TEST_F(KeySettingTest, OpensCentredOnTheMainWindowWithTheKeysCurrentFunction) {
  HWND main = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 50, 822, 545, nullptr,
                              nullptr, nullptr, nullptr);
  HWND page = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 96, 822, 448, main,
                              nullptr, nullptr, nullptr);
  RECT placed{};
  std::wstring title;
  buffers::KeyMatrix[17] = KeyCode::FromValue(0x00060100);
  Language.str_copy = L"Copy";
  EXPECT_EQ(Run(
                17,
                [&] {
                  GetWindowRect(hwnd(), &placed);
                  wchar_t text[64] = {};
                  GetWindowTextW(hwnd(), text, 64);
                  title = text;
                  Click(kClose);
                },
                page),
            IDCANCEL);
  DestroyWindow(main);
  EXPECT_EQ(title, L"KavexQ730XSetting");
  EXPECT_EQ(placed.left, 100 + (822 - 413) / 2);
  EXPECT_EQ(placed.top, 50 + (545 - 296) / 2);
  EXPECT_EQ(placed.right - placed.left, 413);
  EXPECT_EQ(placed.bottom - placed.top, 296);
  EXPECT_EQ(dialog_.currentAssignmentText(), L"Now: Copy");
}

}  // namespace
}  // namespace q730x
