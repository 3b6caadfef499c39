#include "sample_window.h"

#include "skin/skin_files.h"

namespace q730x {

SampleWindow::SampleWindow(int templateId, SIZE size, SamplePictures pictures,
                           std::vector<SampleButton> buttons, std::vector<SampleText> texts)
    : SkinnedDialog(templateId, size),
      pictures_(std::move(pictures)),
      specs_(std::move(buttons)),
      texts_(std::move(texts)) {}

bool SampleWindow::OnInitDialog() {
  if (pictures_.normal) {
    LoadEmbeddedBitmaps(pictures_.normal, pictures_.hover, pictures_.pressed);
  } else {
    std::wstring base = ProgramFolder() + L"skins\\" + pictures_.skinFolder + L"\\" +
                        pictures_.skinPrefix;
    LoadSkinFiles(base + L"_Normal.bmp", base + L"_Down.bmp", base + L"_Over.bmp");
  }
  SIZE size = SkinSize();
  if (position_) {
    DragParentInstead();
    SetWindowPos(hwnd(), nullptr, position_->x, position_->y, size.cx, size.cy, SWP_NOZORDER);
  } else {
    PlaceCentredOnScreen();
  }
  if (region_)
    if (UniqueRegion shape = RegionFromPicture(NormalPicture()))
      SetWindowRgn(hwnd(), shape.release(), TRUE);
  for (const SampleButton& spec : specs_) {
    auto button = std::make_unique<CGDIBitmapBtn>();
    CreateSkinButton(*button, spec.rect);
    button->SetCheckMode(spec.checkMode);
    if (spec.textRect) button->SetTextRect(*spec.textRect);
    if (!spec.text.empty()) button->SetText(spec.text);
    if (!spec.tooltip.empty()) button->SetTooltip(spec.tooltip);
    button->SetChecked(spec.checked);
    buttons_.push_back(std::move(button));
  }
  font_ = CreateSkinFont();
  editBrush_.reset(CreateSolidBrush(RGB(5, 5, 5)));
  return true;
}

LRESULT SampleWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CTLCOLOREDIT) {
    // Edit fields of the pages: grey on black, as the pages draw them.
    SetTextColor(HDC(wParam), RGB(88, 99, 105));
    SetBkColor(HDC(wParam), RGB(5, 5, 5));
    return LRESULT(editBrush_.get());
  }
  return SkinnedDialog::HandleMessage(message, wParam, lParam);
}

void SampleWindow::PaintTexts(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  SelectedFont selected(dc, font_.get());
  for (const SampleText& t : texts_) {
    if (t.gdiplus) {
      DWORD argb = 0xFF000000 | (GetRValue(t.colour) << 16) | (GetGValue(t.colour) << 8) |
                   GetBValue(t.colour);
      DrawSkinText(dc, t.text, 8, 0, argb, float(t.rect.left), float(t.rect.top),
                   float(t.rect.right - t.rect.left), float(t.rect.bottom - t.rect.top));
      continue;
    }
    SetTextColor(dc, t.colour);
    RECT r = t.rect;
    DrawTextW(dc, t.text.c_str(), int(t.text.size()), &r, t.flags);
  }
}

}  // namespace q730x
