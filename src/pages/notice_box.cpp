#include "pages/notice_box.h"

#include "skin/skin_files.h"
#include "skin/spoken_label.h"

namespace q730x {

CMsgNotice::CMsgNotice() : SkinnedDialog(kTemplate, {400, 172}, DialogKeys::NeverEnd) {}

void CMsgNotice::SetText(const std::wstring& text) {
  text_ = text;
  if (label_) SetWindowTextW(label_, text_.c_str());
  Invalidate();
}

bool CMsgNotice::OnInitDialog() {
  SetWindowTextW(hwnd(), L"Notice Box");
  LoadSkinFiles(ProgramFolder() + L"skins\\messagebox\\Notice_Normal.bmp", L"", L"");
  label_ = CreateSpokenLabel(hwnd(), {87, 72, 389, 170}, text_);
  AnnounceWhenShown();
  PlaceCentredOnParent(true);
  return true;
}

void CMsgNotice::PaintTexts(HDC dc) {
  DrawSkinText(dc, text_, 8, 0, kTextColour, 87, 72, 302, 98);
  DrawSkinText(dc, L"Info", 8, 0, kTextColour, 10, 7, 100, 20);
}

}  // namespace q730x
