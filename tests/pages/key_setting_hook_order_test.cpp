// The order of the key setting dialog's calls into the key hook library,
// read from a stand-in library that records them: capture starts when the
// combination page is shown (installing the hook only once), stops on every
// other page and however the dialog ends.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "device/key_tap_binding.h"
#include "dialog_script.h"
#include "gui_support.h"
#include "key_input.h"
#include "pages/key_combination_page.h"
#include "pages/key_setting_dialog.h"
#include "skin/skin_files.h"

namespace q730x {
namespace {

struct RecordedCall {
  char name[16];
  int first, second;
};

constexpr POINT kClose{397, 12}, kOk{354, 271}, kRestore{276, 271}, kDisable{32, 267};
constexpr POINT kTab1{55, 50}, kTab2{159, 50}, kTab4{358, 50};

class HookOrderTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_TRUE(KeyTap.Bind((std::filesystem::current_path() / "KeyTapRecorder.dll").wstring()));
    HMODULE library = GetModuleHandleW(L"KeyTapRecorder.dll");
    calls_ = reinterpret_cast<RecordedCall*>(reinterpret_cast<void*>(GetProcAddress(library, "RecordedCalls")));
    count_ = reinterpret_cast<int*>(reinterpret_cast<void*>(GetProcAddress(library, "RecordedCount")));
    ASSERT_TRUE(calls_ && count_);
  }
  void SetUp() override { *count_ = 0; }

  // Runs the dialog; `steps` clicks; the calls are read afterwards.
  INT_PTR Run(std::function<void(HWND)> steps) {
    test::RunWhenShown(CSettingDlg::kWindowText, std::move(steps));
    return dialog_.RunModal(nullptr);
  }
  // The calls since the last look, as "Name(a,b)" texts; a window argument
  // reads "combo" when it is the combination page.
  std::vector<std::string> TakeCalls() {
    std::vector<std::string> out;
    for (int i = seen_; i < *count_; ++i) {
      const RecordedCall& c = calls_[i];
      std::string name = c.name;
      if (name == "SetParentWindow") {
        const bool combo = dialog_.comboPage() &&
                           c.first == int(reinterpret_cast<std::intptr_t>(dialog_.comboPage()->hwnd()));
        out.push_back(name + (combo ? "(combo)" : "(other)"));
      } else if (name == "SetHookStatus" || name == "InstallHook") {
        out.push_back(name + "(" + std::to_string(c.first) + "," + std::to_string(c.second) + ")");
      } else if (name == "SetFilterKey") {
        out.push_back(name + "(" + std::to_string(c.first) + ")");
      } else {
        out.push_back(name + "()");
      }
    }
    seen_ = *count_;
    return out;
  }
  void Click(HWND dialog, POINT p) { test::ClickAt(dialog, p); }

  static inline RecordedCall* calls_ = nullptr;
  static inline int* count_ = nullptr;
  int seen_ = 0;
  GdiplusSession gdiplus_;
  CSettingDlg dialog_;
};

using Calls = std::vector<std::string>;
const Calls kStartWithInstall = {"IsHooked()", "InstallHook(1,0)", "SetParentWindow(combo)",
                                 "SetFilterKey(1)", "SetHookStatus(1,0)"};
const Calls kStartInstalled = {"IsHooked()", "SetParentWindow(combo)", "SetFilterKey(1)",
                               "SetHookStatus(1,0)"};
const Calls kStop = {"SetHookStatus(0,0)"};

TEST_F(HookOrderTest, OpeningStartsCaptureAndTheTabsSwitchItOffAndOn) {
  Calls atOpen, onMacro, onAdvanced, backOnTab1, atClose;
  EXPECT_EQ(Run([&](HWND d) {
              atOpen = TakeCalls();
              Click(d, kTab2);
              onMacro = TakeCalls();
              Click(d, kTab4);
              onAdvanced = TakeCalls();
              Click(d, kTab1);
              backOnTab1 = TakeCalls();
              Click(d, kClose);
            }),
            IDCANCEL);
  atClose = TakeCalls();
  EXPECT_EQ(atOpen, kStartWithInstall);
  EXPECT_EQ(onMacro, kStop);
  EXPECT_EQ(onAdvanced, kStop);
  EXPECT_EQ(backOnTab1, kStartInstalled);  // the hook is in: no second InstallHook
  EXPECT_EQ(atClose, kStop);
}

TEST_F(HookOrderTest, DisableKeepsCaptureOnAndClearingItStopsIt) {
  Calls onDisable, onTabWhileDisabled, onClear, atOk;
  Run([&](HWND d) {
    TakeCalls();
    Click(d, kDisable);
    onDisable = TakeCalls();
    Click(d, kTab4);
    onTabWhileDisabled = TakeCalls();
    Click(d, kDisable);
    onClear = TakeCalls();
    Click(d, kOk);
  });
  atOk = TakeCalls();
  EXPECT_EQ(onDisable, Calls{});
  EXPECT_EQ(onTabWhileDisabled, Calls{});
  EXPECT_EQ(onClear, kStop);
  EXPECT_EQ(atOk, kStop);
}

TEST_F(HookOrderTest, OkRestoreAndAnOutsideCloseEachStopCaptureOnce) {
  for (POINT press : {kOk, kRestore}) {
    CSettingDlg dialog;
    test::RunWhenShown(CSettingDlg::kWindowText, [&](HWND d) {
      TakeCalls();
      Click(d, press);
    });
    dialog.RunModal(nullptr);
    EXPECT_EQ(TakeCalls(), kStop);
  }
  Run([&](HWND d) {
    TakeCalls();
    PostMessageW(d, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(TakeCalls(), kStop);
}

// Shutting down ends running modal dialogs from outside, past their buttons.
TEST_F(HookOrderTest, AModalEndedFromOutsideStillStopsCapture) {
  EXPECT_EQ(Run([&](HWND) {
              TakeCalls();
              Dialog::CancelRunningModals();
            }),
            IDCANCEL);
  EXPECT_EQ(TakeCalls(), kStop);
}

}  // namespace
}  // namespace q730x
