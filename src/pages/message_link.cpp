#include "pages/message_link.h"

#include <shellapi.h>

#include "markup/language_table.h"
#include "skin/keyboard_focus.h"
#include "skin/skin_files.h"

namespace q730x {

CMessageLink::CMessageLink() : SkinnedDialog(kTemplate, {330, 160}, DialogKeys::Ordinary) {}

bool CMessageLink::OnInitDialog() {
  SetWindowTextW(hwnd(), L"Info Box");
  // Normal and disabled looks from 171, hover and pressed from 172.
  LoadEmbeddedBitmaps(171, 172, 172);
  // Made hidden: the about box shows it once its mode and text are set (a
  // box shown and hidden again at once waits two seconds under Wine).
  PlaceCentredOnParent(true, false);
  CreateSkinButton(close_, {301, 0, 329, 25});
  CreateSkinButton(cancel_, {160, 117, 226, 144}, Language.str_Cancel);
  CreateSkinButton(accept_, {234, 117, 300, 144}, Language.str_OK);
  close_.SetAccessibleName(Language.str_Cancel);
  ArrangeTabOrder({accept_.hwnd(), cancel_.hwnd(), close_.hwnd()});
  AnnounceWhenShown();
  return true;
}

void CMessageLink::SetMode(Mode mode) {
  mode_ = mode;
  if (hwnd()) Invalidate();
}

bool CMessageLink::OnCommand(HWND control, int code, int id) {
  if (control && (control == close_.hwnd() || control == cancel_.hwnd()))
    return ShowWindow(hwnd(), SW_HIDE), true;
  if (control && control == accept_.hwnd()) return Accept(), true;
  return SkinnedDialog::OnCommand(control, code, id);
}

void CMessageLink::Accept() {
  if (mode_ == Mode::Firmware) {
    if (target_) PostMessageW(target_, WM_FIRMWARE_DOWNLOAD, 0, 0);
  } else {
    if (link_.empty()) return;  // nothing to open: the box stays
    ShellExecuteW(nullptr, L"Open", link_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  }
  ShowWindow(hwnd(), SW_HIDE);
}

void CMessageLink::PaintTexts(HDC dc) {
  const std::wstring& text =
      mode_ == Mode::Firmware ? Language.str_updateprompt1 : Language.str_updateprompt3;
  DrawSkinText(dc, text, 8, 0, kTextColour, 25, 50, 306, 75);
}

}  // namespace q730x
