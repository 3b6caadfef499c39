// The combination page's read-out: the key reports the hook library posts
// (0x40A: virtual key, low-level flags) and the four boxes make the code.
#include <gtest/gtest.h>

#include "device/key_tap_binding.h"
#include "gui_support.h"
#include "pages/key_combination_page.h"
#include "skin/skin_files.h"

namespace q730x {
namespace {

constexpr LPARAM kPress = 0x00, kExtendedPress = 0x01, kInjectedPress = 0x10;
constexpr LPARAM kAltHeldPress = 0x20, kRelease = 0x80, kInjectedRelease = 0x90;

class ComboPageTest : public testing::Test {
 protected:
  void SetUp() override {
    host_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 40, 40, 400, 200, nullptr,
                            nullptr, nullptr, nullptr);
    page_ = MakeWindow<CDlgSingleCombo>();
    ASSERT_TRUE(page_->CreateModeless(host_));
    ShowWindow(page_->hwnd(), SW_SHOW);
  }
  void TearDown() override {
    page_.reset();
    DestroyWindow(host_);
  }
  LRESULT Report(WPARAM vk, LPARAM flags) {
    return SendMessageW(page_->hwnd(), kKeyTapReportMessage, vk, flags);
  }
  void Click(ComboModifier m) { SendMessageW(page_->box(m).hwnd(), BM_CLICK, 0, 0); }
  std::uint32_t Code() {
    KeyAssignment record{};
    record.aux[0] = u'x';
    page_->ReadChoice(record);
    EXPECT_EQ(record.aux[0], u'x');  // the page never touches the aux field
    return record.code.Value();
  }

  GdiplusSession gdiplus_;
  HWND host_ = nullptr;
  WindowPtr<CDlgSingleCombo> page_;
};

TEST_F(ComboPageTest, StartsEmptyWithItsWindowText) {
  wchar_t text[64] = {};
  GetWindowTextW(page_->hwnd(), text, 64);
  EXPECT_STREQ(text, L"KavexQ730XKbSingleCombDlg");
  EXPECT_EQ(page_->capturedKey(), 0u);
  EXPECT_EQ(Code(), 0u);
}

TEST_F(ComboPageTest, AModifierPressTogglesItsBoxAndTheReleaseIsIgnored) {
  EXPECT_EQ(Report(VK_LCONTROL, kInjectedPress), 1);
  EXPECT_EQ(Report(VK_LCONTROL, kInjectedRelease), 1);
  EXPECT_TRUE(page_->checked(ComboModifier::Ctrl));
  Report(VK_RCONTROL, kExtendedPress);  // the right key acts on the same box
  EXPECT_FALSE(page_->checked(ComboModifier::Ctrl));
  Report(VK_MENU, kAltHeldPress);
  Report(VK_RSHIFT, kPress);
  Report(VK_RWIN, kExtendedPress);
  EXPECT_TRUE(page_->checked(ComboModifier::Alt));
  EXPECT_TRUE(page_->checked(ComboModifier::Shift));
  EXPECT_TRUE(page_->checked(ComboModifier::Win));
  EXPECT_EQ(page_->capturedKey(), 0u);  // modifiers are never the key
}

TEST_F(ComboPageTest, OtherFlagsOfAModifierAreNoPress) {
  Report(VK_LSHIFT, 0x02);
  Report(VK_LSHIFT, 0x81);
  EXPECT_FALSE(page_->checked(ComboModifier::Shift));
}

TEST_F(ComboPageTest, AKeyAloneOrWithCtrl) {
  Report('A', kPress);
  EXPECT_EQ(Code(), 0x00040000u);
  Click(ComboModifier::Ctrl);
  EXPECT_EQ(Code(), 0x00040100u);
}

TEST_F(ComboPageTest, AReleaseAlsoSetsTheKey) {
  Report('A', kPress);
  Report('Z', kRelease);
  EXPECT_EQ(page_->capturedKey(), UINT('Z'));
  EXPECT_EQ(Code(), 0x001D0000u);
}

TEST_F(ComboPageTest, AllFourModifiersWithAKey) {
  for (ComboModifier m : {ComboModifier::Ctrl, ComboModifier::Alt, ComboModifier::Shift, ComboModifier::Win})
    Click(m);
  Report(VK_F5, kPress);
  EXPECT_EQ(Code(), 0x003E0F00u);
}

TEST_F(ComboPageTest, CtrlAndAltWithoutAKeyGiveLeftAltAlone) {
  Click(ComboModifier::Ctrl);
  Click(ComboModifier::Alt);
  EXPECT_EQ(Code(), 0x00E20000u);
}

TEST_F(ComboPageTest, WithoutAKeyTheLastInShiftCtrlWinOrderWins) {
  Click(ComboModifier::Shift);
  EXPECT_EQ(Code(), 0x00E10000u);
  Click(ComboModifier::Ctrl);
  EXPECT_EQ(Code(), 0x00E00000u);
  Click(ComboModifier::Win);
  EXPECT_EQ(Code(), 0x00E30000u);
}

TEST_F(ComboPageTest, KeypadEnterGivesTheMainEnterUsage) {
  Report(VK_RETURN, kExtendedPress);
  EXPECT_EQ(Code(), 0x00280000u);
}

TEST_F(ComboPageTest, AKeyWithoutUsageGivesNothingOrTheModifierAlone) {
  Report(VK_F13, kPress);
  EXPECT_EQ(page_->capturedKey(), UINT(VK_F13));
  EXPECT_EQ(Code(), 0u);
  Click(ComboModifier::Shift);
  EXPECT_EQ(Code(), 0x00E10000u);
  Report(VK_BROWSER_BACK, kExtendedPress);
  EXPECT_EQ(Code(), 0x00E10000u);
}

TEST_F(ComboPageTest, AVirtualKeyAboveOneByteHasNoUsage) {
  Report(0x141, kPress);  // not 'A' (0x41) with a high byte
  EXPECT_EQ(Code(), 0u);
}

TEST_F(ComboPageTest, TheCapturedKeysNameIsPaintedInTheKeyField) {
  const COLORREF before = test::WindowPixel(page_->hwnd(), {176, 90});
  Report(VK_SNAPSHOT, kExtendedPress);  // "PrtScSysRq": wide enough to cover the field's start
  bool painted = false;
  for (int x = 175; x < 230 && !painted; ++x)
    for (int y = 82; y < 98 && !painted; ++y)
      painted = test::WindowPixel(page_->hwnd(), {x, y}) != before;
  EXPECT_TRUE(painted);
}

}  // namespace
}  // namespace q730x
