// The base function and macro pages inside the key setting dialog: the
// entries and codes of the base list, the macros stored in the real
// registry, chosen with the real pointer and confirmed with OK.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog_script.h"
#include "gui_support.h"
#include "key_input.h"
#include "markup/language_table.h"
#include "model/macro_record.h"
#include "model/macro_store.h"
#include "pages/base_function_page.h"
#include "pages/key_setting_dialog.h"
#include "pages/macro_assignment_page.h"
#include "skin/skin_files.h"
#include "store_test_support.h"

namespace q730x {
namespace {

constexpr POINT kOk{354, 271}, kClose{397, 12}, kTab2{159, 50}, kTab3{255, 50};

// The base list, entry by entry, with the code of each when the key being
// edited is at position 37 (the three captures carry it).
struct ExpectedEntry {
  std::wstring LanguageTable::*text;
  std::uint32_t code;
};
const ExpectedEntry kExpectedBase[25] = {
    {&LanguageTable::str_close, 0x003D0400},        {&LanguageTable::str_lock, 0x000F0800},
    {&LanguageTable::str_run, 0x00150800},          {&LanguageTable::str_show, 0x00070800},
    {&LanguageTable::str_classic, 0x00100800},      {&LanguageTable::str_allprogram, 0x00140800},
    {&LanguageTable::str_screenzoomin, 0x00570800}, {&LanguageTable::str_screenzoomout, 0x00560800},
    {&LanguageTable::str_find, 0x00090100},         {&LanguageTable::str_mouse_left, 0x00F00000},
    {&LanguageTable::str_mouse_right, 0x00F10000},  {&LanguageTable::str_mouse_middle, 0x00F20000},
    {&LanguageTable::str_mouse_next, 0x00F30000},   {&LanguageTable::str_mouse_pre, 0x00F40000},
    {&LanguageTable::str_players, 0x01830004},      {&LanguageTable::str_play, 0x00CD0004},
    {&LanguageTable::str_stop, 0x00B70004},         {&LanguageTable::str_pre, 0x00B60004},
    {&LanguageTable::str_next, 0x00B50004},         {&LanguageTable::str_voldown, 0x00EA0004},
    {&LanguageTable::str_volup, 0x00E90004},        {&LanguageTable::str_mute, 0x00E20004},
    {&LanguageTable::str_cutpic1, 0xC1250003},      {&LanguageTable::str_cutpic2, 0xC2250003},
    {&LanguageTable::str_cutpic3, 0xC3250003},
};

MacroRecord SampleMacro(std::uint32_t id, const std::u16string& name) {
  std::vector<std::uint32_t> steps = {MakeStep(STEP_PRESS, 0x04), MakeStep(STEP_RELEASE, 0x04)};
  MacroBuildInput input;
  input.id = id;
  input.name = name;
  return *BuildMacroRecord(steps, input);
}

class ListPagesTest : public test::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();  // an empty store tree
    for (int i = 0; i < 25; ++i) Language.*kExpectedBase[i].text = L"entry " + std::to_wstring(i);
  }
  void TearDown() override {
    Language = LanguageTable{};
    StoreTest::TearDown();
  }

  INT_PTR Run(int position, std::function<void()> steps) {
    dialog_.assignment().position = position;
    test::RunWhenShown(CSettingDlg::kWindowText, [steps = std::move(steps)](HWND) { steps(); });
    return dialog_.RunModal(nullptr);
  }
  void Click(POINT p) { test::ClickAt(dialog_.hwnd(), p); }
  // Clicks an entry of a list with the real pointer, where the list shows it.
  void ClickEntry(CListBoxEx& list, int index) {
    SendMessageW(list.hwnd(), LB_SETTOPINDEX, index, 0);
    test::Pump(100);
    RECT r{};
    SendMessageW(list.hwnd(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    test::ClickAt(list.hwnd(), {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
  }
  void Store(std::uint32_t id, const std::u16string& name) {
    MacroRecord record = SampleMacro(id, name);
    ASSERT_TRUE(WriteMacro(DefaultMacroRoot(), record));
  }
  std::uint32_t AuxId() const {
    const auto& aux = const_cast<CSettingDlg&>(dialog_).assignment().aux;
    return std::uint32_t(aux[0]) | std::uint32_t(aux[1]) << 16;
  }
  std::uint32_t Code() { return dialog_.assignment().code.Value(); }

  GdiplusSession gdiplus_;
  CSettingDlg dialog_;
};

TEST_F(ListPagesTest, TheBaseListHoldsTheTwentyFiveFunctionsInOrder) {
  Run(37, [&] {
    CDlgBase* base = dialog_.basePage();
    ASSERT_NE(base, nullptr);
    wchar_t title[64] = {};
    GetWindowTextW(base->hwnd(), title, 64);
    EXPECT_STREQ(title, L"KavexQ730XKbBaseDlg");
    CListBoxEx& list = base->list();
    EXPECT_EQ(list.id(), 101);
    ASSERT_EQ(list.count(), 25);
    for (int i = 0; i < 25; ++i) {
      EXPECT_EQ(list.text(i), Language.*kExpectedBase[i].text) << "entry " << i;
      EXPECT_EQ(list.data(i), 0u) << "entry " << i;
      EXPECT_EQ(base->codeOf(i).Value(), kExpectedBase[i].code) << "entry " << i;
    }
    EXPECT_EQ(list.selection(), 24);
    Click(kClose);
  });
}

TEST_F(ListPagesTest, ConfirmingTheBasePageUntouchedAssignsTheRegionCapture) {
  EXPECT_EQ(Run(37, [&] {
              Click(kTab3);
              EXPECT_TRUE(IsWindowVisible(dialog_.basePage()->hwnd()));
              Click(kOk);
            }),
            IDOK);
  EXPECT_EQ(Code(), 0xC3250003u);
}

TEST_F(ListPagesTest, PickingTheWindowCaptureWithThePointer) {
  EXPECT_EQ(Run(37, [&] {
              Click(kTab3);
              ClickEntry(dialog_.basePage()->list(), 23);
              EXPECT_EQ(dialog_.basePage()->list().selection(), 23);
              Click(kOk);
            }),
            IDOK);
  EXPECT_EQ(Code(), 0xC2250003u);
}

TEST_F(ListPagesTest, PickingAShortcutWithThePointer) {
  EXPECT_EQ(Run(17, [&] {
              Click(kTab3);
              ClickEntry(dialog_.basePage()->list(), 0);
              Click(kOk);
            }),
            IDOK);
  EXPECT_EQ(Code(), 0x003D0400u);
}

TEST_F(ListPagesTest, TheMacroPageListsTheStoredMacrosAndTakesTheOneChosen) {
  Store(0x1001, u"Reload");
  Store(0x1002, u"Build house");
  Store(0x1003, u"Sprint");
  EXPECT_EQ(Run(17, [&] {
              CListBoxEx& list = dialog_.macroPage()->list();
              EXPECT_EQ(list.id(), 10001);
              ASSERT_EQ(list.count(), 3);
              EXPECT_EQ(list.text(0), L"Reload");
              EXPECT_EQ(list.data(1), 0x1002u);
              EXPECT_EQ(list.selection(), 2);  // the last listed
              Click(kTab2);
              ClickEntry(list, 1);
              Click(kOk);
            }),
            IDOK);
  EXPECT_EQ(Code(), 0x00000008u);
  EXPECT_EQ(AuxId(), 0x1002u);
}

TEST_F(ListPagesTest, ConfirmingTheMacroPageUntouchedAssignsTheLastListed) {
  Store(0x20, u"First");
  Store(0x30, u"Last");
  EXPECT_EQ(Run(17, [&] {
              Click(kTab2);
              Click(kOk);
            }),
            IDOK);
  EXPECT_EQ(Code(), 0x00000008u);
  EXPECT_EQ(AuxId(), 0x30u);
}

TEST_F(ListPagesTest, WithoutStoredMacrosTheMacroPageAssignsNothing) {
  EXPECT_EQ(Run(17, [&] {
              EXPECT_EQ(dialog_.macroPage()->list().count(), 0);
              Click(kTab2);
              Click(kOk);
            }),
            IDCANCEL);
  EXPECT_EQ(Code(), 0u);
}

TEST_F(ListPagesTest, ARefillShowsNewMacrosAndAMissingRootKeepsTheList) {
  Store(0x40, u"Old");
  Run(17, [&] {
    CDlgMacroSet* page = dialog_.macroPage();
    Store(0x41, u"New");
    SendMessageW(page->hwnd(), kRefillMacroListMessage, 0, 0);
    ASSERT_EQ(page->list().count(), 2);
    EXPECT_EQ(page->list().text(1), L"New");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\KAVEX\\Q730X\\Macro");
    SendMessageW(page->hwnd(), kRefillMacroListMessage, 0, 0);
    EXPECT_EQ(page->list().count(), 2);  // no root: what it showed stays
    Click(kClose);
  });
}

}  // namespace
}  // namespace q730x
