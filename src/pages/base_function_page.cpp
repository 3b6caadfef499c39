#include "pages/base_function_page.h"

#include "markup/language_table.h"
#include "pages/list_page_style.h"

namespace q730x {

namespace {

// Usages of the keys the shortcuts use.
constexpr std::uint8_t kUsageF4 = 0x3D, kUsageL = 0x0F, kUsageR = 0x15, kUsageD = 0x07;
constexpr std::uint8_t kUsageM = 0x10, kUsageQ = 0x14, kUsageKeypadPlus = 0x57;
constexpr std::uint8_t kUsageKeypadMinus = 0x56, kUsageF = 0x09;

// One entry: its text, and its code (a screen capture's code is made with
// the key's position when the list is filled).
struct BaseEntry {
  std::wstring LanguageTable::*text;
  KeyCode code;
  ActionKind capture = ActionKind(0);
};

const BaseEntry kBaseEntries[CDlgBase::kEntries] = {
    {&LanguageTable::str_close, MakeKeyCode(kUsageF4, KM_ALT)},
    {&LanguageTable::str_lock, MakeKeyCode(kUsageL, KM_WIN)},
    {&LanguageTable::str_run, MakeKeyCode(kUsageR, KM_WIN)},
    {&LanguageTable::str_show, MakeKeyCode(kUsageD, KM_WIN)},
    {&LanguageTable::str_classic, MakeKeyCode(kUsageM, KM_WIN)},
    {&LanguageTable::str_allprogram, MakeKeyCode(kUsageQ, KM_WIN)},
    {&LanguageTable::str_screenzoomin, MakeKeyCode(kUsageKeypadPlus, KM_WIN)},
    {&LanguageTable::str_screenzoomout, MakeKeyCode(kUsageKeypadMinus, KM_WIN)},
    {&LanguageTable::str_find, MakeKeyCode(kUsageF, KM_CTRL)},
    {&LanguageTable::str_mouse_left, MakeKeyCode(MOUSE_LEFT)},
    {&LanguageTable::str_mouse_right, MakeKeyCode(MOUSE_RIGHT)},
    {&LanguageTable::str_mouse_middle, MakeKeyCode(MOUSE_MIDDLE)},
    {&LanguageTable::str_mouse_next, MakeKeyCode(MOUSE_NEXT)},
    {&LanguageTable::str_mouse_pre, MakeKeyCode(MOUSE_PREV)},
    {&LanguageTable::str_players, MakeConsumerCode(0x0183)},
    {&LanguageTable::str_play, MakeConsumerCode(0x00CD)},
    {&LanguageTable::str_stop, MakeConsumerCode(0x00B7)},
    {&LanguageTable::str_pre, MakeConsumerCode(0x00B6)},
    {&LanguageTable::str_next, MakeConsumerCode(0x00B5)},
    {&LanguageTable::str_voldown, MakeConsumerCode(0x00EA)},
    {&LanguageTable::str_volup, MakeConsumerCode(0x00E9)},
    {&LanguageTable::str_mute, MakeConsumerCode(0x00E2)},
    {&LanguageTable::str_cutpic1, {}, ACTION_CAPTURE_DESKTOP},
    {&LanguageTable::str_cutpic2, {}, ACTION_CAPTURE_WINDOW},
    {&LanguageTable::str_cutpic3, {}, ACTION_CAPTURE_REGION},
};

}  // namespace

CDlgBase::CDlgBase(int position)
    : SettingPage(kTemplate, {370, 169}, L"base", L"Base"), position_(position) {}

bool CDlgBase::OnInitDialog() {
  SetWindowTextW(hwnd(), kWindowText);
  LoadSettingSkin();
  DragParentInstead();
  CreatePageList(hwnd(), list_, kListId, 18, scrollBitmap_);
  SetWindowTextW(list_.hwnd(), Language.str_base.c_str());  // what a reader calls the list
  for (int i = 0; i < kEntries; ++i) {
    const BaseEntry& entry = kBaseEntries[i];
    codes_[i] = entry.capture ? MakeActionCode(entry.capture, std::uint8_t(position_)) : entry.code;
    // Adding an entry selects it: the last one ends up selected.
    list_.AddEntry(0, Language.*entry.text);
  }
  return true;
}

void CDlgBase::ReadChoice(KeyAssignment& assignment) const {
  assignment.code = KeyCode{};
  const int selected = list_.selection();
  if (selected >= 0 && selected < kEntries) assignment.code = codes_[selected];
}

}  // namespace q730x
