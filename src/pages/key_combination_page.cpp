#include "pages/key_combination_page.h"

#include "device/key_tap_binding.h"
#include "model/key_name.h"
#include "skin/skin_files.h"

namespace q730x {

namespace {

struct ModifierRow {
  ComboModifier modifier;
  std::uint8_t bit;         // in byte 1 of a combination
  std::uint8_t aloneUsage;  // the modifier key as a plain key
  RECT rect;
  std::array<std::uint8_t, 3> virtualKeys;  // generic, left, right
};

// In the order the boxes are created, top to bottom.
constexpr ModifierRow kModifiers[4] = {
    {ComboModifier::Ctrl, KM_CTRL, 0xE0, {59, 45, 72, 58}, {VK_CONTROL, VK_LCONTROL, VK_RCONTROL}},
    {ComboModifier::Alt, KM_ALT, 0xE2, {59, 70, 72, 83}, {VK_MENU, VK_LMENU, VK_RMENU}},
    {ComboModifier::Shift, KM_SHIFT, 0xE1, {59, 94, 72, 108}, {VK_SHIFT, VK_LSHIFT, VK_RSHIFT}},
    {ComboModifier::Win, KM_WIN, 0xE3, {58, 119, 72, 133}, {VK_LWIN, VK_LWIN, VK_RWIN}},
};

// The order in which the read-out collects the boxes; the last checked one
// names the modifier key given alone.
constexpr ComboModifier kReadOrder[4] = {ComboModifier::Shift, ComboModifier::Ctrl,
                                         ComboModifier::Win, ComboModifier::Alt};

constexpr RECT kKeyNameRect{175, 78, 327, 102};
constexpr RECT kKeyFieldRect{168, 77, 328, 102};
constexpr COLORREF kKeyNameColour = RGB(23, 148, 195);

const ModifierRow* ModifierOfKey(WPARAM virtualKey) {
  for (const ModifierRow& row : kModifiers)
    for (std::uint8_t vk : row.virtualKeys)
      if (virtualKey == vk) return &row;
  return nullptr;
}

// The hook's flags of a press: plain, extended, injected and Alt held, in
// any mix, but never the release bit.
bool IsPress(LPARAM flags) {
  switch (flags) {
    case 0x00: case 0x01: case 0x10: case 0x11: case 0x20: case 0x21: return true;
    default: return false;
  }
}

}  // namespace

KeyCode ComposeCombinationCode(const ModifierChecks& checks, std::uint32_t capturedKey) {
  std::uint8_t modifiers = 0, lastModifier = 0;
  for (ComboModifier m : kReadOrder) {
    if (!checks[int(m)]) continue;
    const ModifierRow& row = kModifiers[int(m)];
    modifiers |= row.bit;
    lastModifier = row.aloneUsage;
  }
  // Virtual keys are one byte; anything larger has no usage.
  const std::uint8_t usage = capturedKey <= 0xFF ? VirtualKeyToUsage(std::uint8_t(capturedKey)) : 0;
  if (modifiers != 0 && usage != 0) return MakeKeyCode(usage, modifiers);
  if (modifiers != 0) return MakeKeyCode(lastModifier);
  return MakeKeyCode(usage);
}

CDlgSingleCombo::CDlgSingleCombo()
    : SettingPage(kTemplate, {370, 169}, L"combo", L"Combo") {}

bool CDlgSingleCombo::OnInitDialog() {
  SetWindowTextW(hwnd(), kWindowText);
  LoadSettingSkin();
  DragParentInstead();
  for (const ModifierRow& row : kModifiers) {
    CGDIBitmapBtn& box = boxes_[int(row.modifier)];
    CreateSkinButton(box, row.rect);
    box.SetCheckMode(true);
    box.SetAccessibleName(KeyName(row.virtualKeys[1]));
    box.SetTabStop(true);
  }
  return true;
}

void CDlgSingleCombo::Toggle(ComboModifier modifier) {
  CGDIBitmapBtn& box = boxes_[int(modifier)];
  box.SetChecked(!box.checked());
}

bool CDlgSingleCombo::OnCommand(HWND control, int code, int id) {
  for (const ModifierRow& row : kModifiers)
    if (control && control == boxes_[int(row.modifier)].hwnd()) Toggle(row.modifier);
  return SettingPage::OnCommand(control, code, id);
}

void CDlgSingleCombo::UndoAltChord() {
  if (!beforeAlt_) return;
  for (int i = 0; i < 4; ++i) boxes_[i].SetChecked(beforeAlt_->checks[i]);
  capturedKey_ = beforeAlt_->capturedKey;
  beforeAlt_.reset();
  InvalidateRect(hwnd(), &kKeyFieldRect, FALSE);
}

void CDlgSingleCombo::OnKeyReport(WPARAM virtualKey, LPARAM flags) {
  if (const ModifierRow* row = ModifierOfKey(virtualKey); row && row->modifier == ComboModifier::Alt) {
    const bool released = flags & 0x80;
    if (!released && !altDown_) {
      Before before{capturedKey_, {}};
      for (int i = 0; i < 4; ++i) before.checks[i] = boxes_[i].checked();
      beforeAlt_ = before;
    }
    altDown_ = !released;
  }
  if (const ModifierRow* row = ModifierOfKey(virtualKey)) {
    if (IsPress(flags)) Toggle(row->modifier);
    return;
  }
  // Any other key is taken, a release as well as a press.
  capturedKey_ = std::uint32_t(virtualKey);
  InvalidateRect(hwnd(), &kKeyFieldRect, FALSE);
}

KeyCode CDlgSingleCombo::ComposedCode() const {
  ModifierChecks checks{};
  for (int i = 0; i < 4; ++i) checks[i] = boxes_[i].checked();
  return ComposeCombinationCode(checks, capturedKey_);
}

void CDlgSingleCombo::ReadChoice(KeyAssignment& assignment) const {
  assignment.code = ComposedCode();
}

void CDlgSingleCombo::PaintTexts(HDC dc) {
  if (capturedKey_ == 0) return;
  const std::wstring name = KeyName(capturedKey_);
  if (!font_) font_ = CreateSkinFont();
  SelectedFont selected(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kKeyNameColour);
  RECT r = kKeyNameRect;
  DrawTextW(dc, name.c_str(), int(name.size()), &r,
            DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS | DT_NOCLIP);
}

LRESULT CDlgSingleCombo::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kKeyTapReportMessage) {
    OnKeyReport(wParam, lParam);
    return 1;
  }
  return SettingPage::HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
