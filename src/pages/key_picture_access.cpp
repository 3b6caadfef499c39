#include "pages/key_picture_access.h"

#include "markup/language_table.h"
#include "model/key_caption.h"
#include "model/key_code.h"
#include "model/key_layout_table.h"
#include "pages/key_navigation.h"
#include "skin/spoken_label.h"

namespace q730x {

namespace {

bool KeyStepOf(WPARAM key, KeyStep& step) {
  switch (key) {
    case VK_LEFT: step = KeyStep::Left; return true;
    case VK_RIGHT: step = KeyStep::Right; return true;
    case VK_UP: step = KeyStep::Up; return true;
    case VK_DOWN: step = KeyStep::Down; return true;
    case VK_HOME: step = KeyStep::RowStart; return true;
    case VK_END: step = KeyStep::RowEnd; return true;
    default: return false;
  }
}

void MoveKeyFocus(std::array<CGDIBitmapBtn, 144>& keys, int from, int to) {
  if (to == from || !keys[to].hwnd()) return;
  SetTabStop(keys[from].hwnd(), false);
  MoveRovingFocus(keys[to].hwnd(), {});
}

}  // namespace

void NameKeyButton(CGDIBitmapBtn& key, int position, const std::wstring& caption) {
  if (position < 0 || position >= kMatrixPositions) return;
  const std::wstring keyName = CaptionOfCode(DefaultMatrix[position], AuxRecord{}, nullptr);
  key.SetAccessibleName(KeyButtonName(keyName, caption));
}

void MakeUsableByKeys(const KeyPicturePage& page) {
  auto& keys = *page.keys;
  auto& profiles = *page.profiles;
  for (int entry = 0; entry < int(keys.size()); ++entry) {
    keys[entry].SetKeyHandler([&keys, entry](WPARAM key) {
      KeyStep step;
      if (!KeyStepOf(key, step)) return false;
      MoveKeyFocus(keys, entry, NextKeyEntry(entry, step));
      return true;
    });
  }
  // The picture is one stop: its first key until the arrows move on.
  for (CGDIBitmapBtn& key : keys) key.SetTabStop(false);
  SetTabStop(keys[0].hwnd(), true);

  for (int i = 0; i < int(profiles.size()); ++i) {
    profiles[i].SetKeyHandler([&profiles, i](WPARAM key) {
      if (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN) return false;
      const int count = int(profiles.size());
      const int next = (key == VK_LEFT || key == VK_UP) ? (i + count - 1) % count : (i + 1) % count;
      MoveRovingFocus(profiles[next].hwnd(), {profiles[0].hwnd(), profiles[1].hwnd(), profiles[2].hwnd(),
                                              profiles[3].hwnd(), profiles[4].hwnd()});
      return true;
    });
  }
  int selected = 0;
  for (int i = 0; i < int(profiles.size()); ++i)
    if (profiles[i].selected()) selected = i;
  SetTabStop(profiles[selected].hwnd(), true);

  for (CGDIBitmapBtn* button : {page.rate, page.linkBox, page.programName, page.restore, page.apply})
    button->SetTabStop(true);
  SetTabStop(page.textField, true);

  // Reading order: the rate at the top, the picture, the tabs below it, the
  // link and the text field, then Restore and Apply.
  ArrangeTabOrder({page.rate->hwnd(), keys[0].hwnd()});
  HWND last = keys[0].hwnd();
  for (std::size_t entry = 1; entry < keys.size(); ++entry) {
    if (!keys[entry].hwnd()) continue;  // an empty entry of the table has no button
    ArrangeTabOrder({last, keys[entry].hwnd()});
    last = keys[entry].hwnd();
  }
  ArrangeTabOrder({last, profiles[0].hwnd(), profiles[1].hwnd(), profiles[2].hwnd(), profiles[3].hwnd(),
                   profiles[4].hwnd(), page.linkBox->hwnd(), page.programName->hwnd(), page.textField,
                   page.restore->hwnd(), page.apply->hwnd()});
  // The field's painted caption above it, as a label a reader names it by.
  CreateSpokenLabel(page.page, {101, 380, 251, 403}, Language.str_profile_caption, page.textField);
}

}  // namespace q730x
