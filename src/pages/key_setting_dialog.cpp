#include "pages/key_setting_dialog.h"

#include "device/key_tap_binding.h"
#include "markup/language_table.h"
#include "model/key_caption.h"
#include "pages/advanced_function_page.h"
#include "pages/base_function_page.h"
#include "pages/key_combination_page.h"
#include "pages/macro_assignment_page.h"
#include "skin/skin_files.h"

namespace q730x {

namespace {

// The eight buttons, in the order they are made.
struct ButtonRow {
  RECT rect;
  bool checkMode;
  std::wstring LanguageTable::*text;  // also the tooltip where `tooltip` is set
  bool tooltip;
};
const ButtonRow kButtonRows[8] = {
    {{383, 1, 411, 24}, false, nullptr, false},                           // close
    {{316, 254, 393, 289}, false, &LanguageTable::str_OK, false},         // OK
    {{238, 254, 315, 289}, false, &LanguageTable::str_restore, false},    // restore
    {{0, 37, 110, 64}, true, &LanguageTable::str_singlecomb, true},       // tab 1
    {{111, 37, 207, 64}, true, &LanguageTable::str_macro_set, true},      // tab 2
    {{208, 37, 303, 64}, true, &LanguageTable::str_base, true},           // tab 3
    {{304, 37, 412, 64}, true, &LanguageTable::str_advanced, true},       // tab 4
    {{23, 258, 42, 277}, true, nullptr, false},                           // disable
};

constexpr CSettingDlg::Button kTabs[4] = {CSettingDlg::Button::Tab1, CSettingDlg::Button::Tab2,
                                          CSettingDlg::Button::Tab3, CSettingDlg::Button::Tab4};

// Where every page sits: 370 x 169 pixels at 21, 74.
constexpr RECT kPageArea{21, 74, 391, 243};

struct TextRow {
  RECT rect;
  COLORREF colour;
  UINT alignment;
};
constexpr UINT kTextFlags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOCLIP;
constexpr TextRow kTitleText{{135, 1, 277, 20}, RGB(88, 95, 105), DT_CENTER};
constexpr TextRow kCurrentText{{5, 16, 180, 38}, RGB(189, 189, 200), DT_LEFT};
constexpr TextRow kDisableText{{46, 258, 106, 278}, RGB(189, 189, 200), DT_LEFT};

void DrawTextRow(HDC dc, const std::wstring& text, const TextRow& row) {
  SetTextColor(dc, row.colour);
  RECT r = row.rect;
  DrawTextW(dc, text.c_str(), int(text.size()), &r, kTextFlags | row.alignment);
}

bool IsShown(const Window* page) {
  return page && page->hwnd() && (GetWindowLongPtrW(page->hwnd(), GWL_STYLE) & WS_VISIBLE);
}

}  // namespace

CSettingDlg::CSettingDlg() : SettingSkinDialog(kTemplate, {413, 296}, L"setting", L"Setting") {}

CSettingDlg::~CSettingDlg() = default;

CDlgBase* CSettingDlg::basePage() const {
  return static_cast<CDlgBase*>(pages_[kBaseSlot].get());
}
CDlgAdvance* CSettingDlg::advancedPage() const {
  return static_cast<CDlgAdvance*>(pages_[kAdvancedSlot].get());
}
CDlgMacroSet* CSettingDlg::macroPage() const {
  return static_cast<CDlgMacroSet*>(pages_[kMacroSlot].get());
}
CDlgSingleCombo* CSettingDlg::comboPage() const {
  return static_cast<CDlgSingleCombo*>(pages_[kComboSlot].get());
}

bool CSettingDlg::OnInitDialog() {
  SetWindowTextW(hwnd(), kWindowText);
  LoadSettingSkin();
  PlaceCentredOnOwner();
  for (int i = 0; i < 8; ++i) {
    const ButtonRow& row = kButtonRows[i];
    const std::wstring text = row.text ? Language.*row.text : std::wstring();
    CreateSkinButton(buttons_[i], row.rect, text);
    buttons_[i].SetCheckMode(row.checkMode);
    if (row.tooltip) buttons_[i].SetTooltip(text);
  }
  CreatePages();
  MakeUsableByKeys();
  SwitchPage(kCombo);
  currentText_ = Language.str_buttondefault + KeyCaption(assignment_.position);
  return true;
}

void CSettingDlg::PlaceCentredOnOwner() {
  const SIZE size = SkinSize();
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (HWND owner = GetWindow(hwnd(), GW_OWNER)) GetWindowRect(owner, &area);
  const int x = area.left + (area.right - area.left - size.cx) / 2;
  const int y = area.top + (area.bottom - area.top - size.cy) / 2;
  SetWindowPos(hwnd(), nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CSettingDlg::CreatePages() {
  const int position = assignment_.position;
  pages_[kBaseSlot] = MakeWindow<CDlgBase>(position);
  pages_[kAdvancedSlot] = MakeWindow<CDlgAdvance>(position);
  pages_[kMacroSlot] = MakeWindow<CDlgMacroSet>();
  pages_[kComboSlot] = MakeWindow<CDlgSingleCombo>();
  for (auto& page : pages_) {
    if (!page) continue;
    if (!page->CreateModeless(hwnd())) {
      page.reset();
      continue;
    }
    SetWindowPos(page->hwnd(), nullptr, kPageArea.left, kPageArea.top,
                 kPageArea.right - kPageArea.left, kPageArea.bottom - kPageArea.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  }
}

void CSettingDlg::StartCapture() {
  if ((KeyTap.IsHooked() & 1) == 0) KeyTap.InstallHook();
  CDlgSingleCombo* combo = comboPage();
  KeyTap.SetParentWindow(combo ? combo->hwnd() : nullptr);
  KeyTap.SetFilterKey(1);
  KeyTap.SetHookStatus(true);
  capturing_ = true;
}

void CSettingDlg::StopCapture() {
  KeyTap.SetHookStatus(false);
  capturing_ = false;
}

void CSettingDlg::SwitchPage(int pageNumber) {
  if (button(Button::Disable).checked()) {
    for (Button tab : kTabs) button(tab).SetChecked(false);
    for (auto& page : pages_)
      if (page) ShowWindow(page->hwnd(), SW_HIDE);
    return;
  }
  currentPage_ = pageNumber;
  if (pageNumber == kCombo) StartCapture();
  else StopCapture();

  int shownTab = 0;
  PageSlot shownSlot = kComboSlot;
  switch (pageNumber) {
    case kMacro: shownTab = 1, shownSlot = kMacroSlot; break;
    case kBase: shownTab = 2, shownSlot = kBaseSlot; break;
    case kAdvanced: shownTab = 3, shownSlot = kAdvancedSlot; break;
    default: break;  // both combination page numbers
  }
  for (int t = 0; t < 4; ++t) button(kTabs[t]).SetChecked(t == shownTab);
  for (int slot = 0; slot < kPageSlots; ++slot)
    if (pages_[slot]) ShowWindow(pages_[slot]->hwnd(), slot == shownSlot ? SW_SHOW : SW_HIDE);
}

void CSettingDlg::ToggleDisable() {
  CGDIBitmapBtn& box = button(Button::Disable);
  box.SetChecked(!box.checked());
  SwitchPage(kComboQuiet);
}

void CSettingDlg::OnOkPressed() {
  if (button(Button::Disable).checked()) {
    assignment_.code = MakeDisabledCode();
  } else {
    for (const auto& page : pages_)
      if (IsShown(page.get())) {
        page->ReadChoice(assignment_);
        break;
      }
  }
  StopCapture();
  EndDialog(IsNoFunction(assignment_.code) ? IDCANCEL : IDOK);
}

void CSettingDlg::OnRestore() {
  const int position = assignment_.position;
  assignment_.code = position >= 0 && position < kMatrixPositions ? DefaultMatrix[position] : KeyCode{};
  StopCapture();
  EndDialog(IDOK);
}

void CSettingDlg::OnCancel() {
  EndDialog(IDCANCEL);
  StopCapture();
}

void CSettingDlg::MakeUsableByKeys() {
  button(Button::Close).SetAccessibleName(Language.str_Cancel);
  button(Button::Disable).SetAccessibleName(Language.str_disable);
  button(Button::Ok).SetAccelerator(L'O');
  button(Button::Restore).SetAccelerator(L'R');
  for (CGDIBitmapBtn& b : buttons_) b.SetTabStop(true);
  // Reading order: the tabs, the page shown, the disable box, Restore, OK, close.
  HWND pageWindows[kPageSlots] = {};
  for (int slot = 0; slot < kPageSlots; ++slot) pageWindows[slot] = pages_[slot] ? pages_[slot]->hwnd() : nullptr;
  ArrangeTabOrder({button(Button::Tab1).hwnd(), button(Button::Tab2).hwnd(), button(Button::Tab3).hwnd(),
                   button(Button::Tab4).hwnd(), pageWindows[kComboSlot], pageWindows[kMacroSlot],
                   pageWindows[kBaseSlot], pageWindows[kAdvancedSlot], button(Button::Disable).hwnd(),
                   button(Button::Restore).hwnd(), button(Button::Ok).hwnd(), button(Button::Close).hwnd()});
}

bool CSettingDlg::RunAltChord(WPARAM key) {
  CGDIBitmapBtn* target = nullptr;
  switch (key) {
    case 'O': target = &button(Button::Ok); break;
    case 'C': target = &button(Button::Close); break;
    case 'R': target = &button(Button::Restore); break;
    case 'D': target = &button(Button::Disable); break;
    case '1': case '2': case '3': case '4': target = &button(kTabs[key - '1']); break;
    default: return false;
  }
  // The chord's keys also reached the capture: take them back first.
  if (CDlgSingleCombo* combo = comboPage()) combo->UndoAltChord();
  ClickFromKeyboard(target->hwnd());
  return true;
}

bool CSettingDlg::PreTranslateMessage(MSG& message) {
  if (message.message == WM_SYSKEYDOWN && (message.lParam & (1 << 29)) && hwnd() &&
      (message.hwnd == hwnd() || IsChild(hwnd(), message.hwnd)) && RunAltChord(message.wParam))
    return true;
  return SettingSkinDialog::PreTranslateMessage(message);
}

bool CSettingDlg::OnCommand(HWND control, int code, int id) {
  auto is = [&](Button which) { return control && control == button(which).hwnd(); };
  if (is(Button::Close)) OnCancel();
  else if (is(Button::Ok)) OnOkPressed();
  else if (is(Button::Restore)) OnRestore();
  else if (is(Button::Disable)) ToggleDisable();
  else
    for (int t = 0; t < 4; ++t)
      if (is(kTabs[t])) SwitchPage(kCombo + t);
  return SettingSkinDialog::OnCommand(control, code, id);
}

void CSettingDlg::PaintTexts(HDC dc) {
  if (!font_) font_ = CreateSkinFont();
  SelectedFont selected(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  DrawTextRow(dc, Language.str_buttonedit, kTitleText);
  DrawTextRow(dc, currentText_, kCurrentText);
  DrawTextRow(dc, Language.str_disable, kDisableText);
}

LRESULT CSettingDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SYSCOMMAND:
      // Alt and F10 are keys to capture here, not the way into a window menu.
      if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    case WM_DESTROY:
      // Destroyed without ending (its owner went first): capture still stops.
      if (capturing_) StopCapture();
      break;
  }
  return SettingSkinDialog::HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
