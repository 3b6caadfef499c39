#include "pages/message_box.h"

#include "markup/language_table.h"
#include "skin/keyboard_focus.h"
#include "skin/skin_files.h"
#include "skin/spoken_label.h"

namespace q730x {

bool MessageBoxOpen = false;

namespace {
// Sets the flag for as long as the box is open, however it ends. A box
// opened while another is open gives the flag back as it found it, so the
// outer box still counts as open.
struct OpenFlag {
  OpenFlag() : before(MessageBoxOpen) { MessageBoxOpen = true; }
  ~OpenFlag() { MessageBoxOpen = before; }
  bool before;
};
}  // namespace

INT_PTR ShowMessageBox(const std::wstring& text) {
  CMsgBox box;
  box.SetText(text);
  OpenFlag open;
  return box.RunModal(GetActiveWindow());
}

CMsgBox::CMsgBox() : SkinnedDialog(kTemplate, {330, 172}, DialogKeys::Ordinary) {}

bool CMsgBox::OnInitDialog() {
  SetWindowTextW(hwnd(), L"Info Box");
  std::wstring folder = ProgramFolder() + L"skins\\messagebox\\";
  LoadSkinFiles(folder + L"Message_Normal.bmp", folder + L"Message_Down.bmp",
                folder + L"Message_Over.bmp");
  PlaceCentredOnScreen();
  CreateSkinButton(close_, {301, 0, 329, 25});
  CreateSkinButton(ok_, {241, 128, 305, 158}, Language.str_OK);
  // What a reader speaks when the box opens: the painted text, then OK.
  close_.SetAccessibleName(Language.str_Cancel);
  // The text's area above the OK button, so that the label covers no button.
  HWND label = CreateSpokenLabel(hwnd(), {82, 72, 322, 126}, text_);
  ArrangeTabOrder({label, ok_.hwnd(), close_.hwnd()});
  AnnounceWhenShown();
  SetFocus(ok_.hwnd());
  return false;  // the focus is set
}

bool CMsgBox::OnCommand(HWND control, int code, int id) {
  if (control && control == close_.hwnd()) return EndDialog(IDCANCEL), true;
  if (control && control == ok_.hwnd()) return EndDialog(IDOK), true;
  return SkinnedDialog::OnCommand(control, code, id);
}

void CMsgBox::PaintTexts(HDC dc) {
  DrawSkinText(dc, text_, 8, 0, kTextColour, 82, 72, 240, 98);
  DrawSkinText(dc, L"Info", 8, 0, kTextColour, 10, 7, 100, 20);
}

}  // namespace q730x
