#include "pages/progress_box.h"

#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include "skin/skin_files.h"
#include "skin/spoken_label.h"

namespace q730x {

CProgressDlg::CProgressDlg() : SkinnedDialog(kTemplate, {357, 100}, DialogKeys::NeverEnd) {}
CProgressDlg::~CProgressDlg() = default;

void CProgressDlg::SetRange(int minimum, int maximum) {
  minimum_ = minimum;
  maximum_ = maximum;
}

void CProgressDlg::SetProgressText(const std::wstring& text, const RECT* rect) {
  text_ = text;
  if (label_) SetWindowTextW(label_, text_.c_str());
  if (rect) {
    textX_ = float(rect->left);
    textY_ = float(rect->top);
    textWidth_ = float(rect->right - rect->left);
    textHeight_ = float(rect->bottom - rect->top);
  }
}

void CProgressDlg::SetProgressPosition(int position) {
  position_ = position >= minimum_ && position <= maximum_ ? position : minimum_;
  if (spokenBar_) SendMessageW(spokenBar_, PBM_SETPOS, WPARAM(position_), 0);
  if (hwnd()) {
    InvalidateRect(hwnd(), nullptr, FALSE);
    UpdateWindow(hwnd());
  }
}

int CProgressDlg::FillEnd() const {
  // An empty range would divide by zero; it shows an empty bar instead.
  if (maximum_ == minimum_) return bar_.left;
  return int((long long)(position_ - minimum_) * (bar_.right - bar_.left) /
                 (maximum_ - minimum_) +
             bar_.left);
}

bool CProgressDlg::OnInitDialog() {
  const SIZE size = PngFileSize(ProgramFolder() + L"skins\\progress_normal.png").value_or(SkinSize());
  HWND parent = GetParent(hwnd());
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (parent) GetWindowRect(parent, &area);
  int x = area.left + ((area.right - area.left - size.cx) >> 1);
  int y = area.top + ((area.bottom - area.top - size.cy) >> 1);
  SetWindowPos(hwnd(), nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowTextW(hwnd(), L"ProgressDlg.");
  const bool unset = !(textWidth_ > 1.1920929e-7f) || !(textHeight_ > 1.1920929e-7f);
  const RECT textRect = unset ? RECT{45, 40, 245, 65}
                              : RECT{int(textX_), int(textY_), int(textX_ + textWidth_), int(textY_ + textHeight_)};
  label_ = CreateSpokenLabel(hwnd(), textRect, text_);
  spokenBar_ = CreateSpokenProgress(hwnd(), {bar_.left, bar_.top, bar_.right, bar_.bottom});
  if (spokenBar_) {
    SendMessageW(spokenBar_, PBM_SETRANGE32, WPARAM(minimum_), LPARAM(maximum_));
    SendMessageW(spokenBar_, PBM_SETPOS, WPARAM(position_), 0);
  }
  AnnounceWhenShown();
  return true;
}

void CProgressDlg::LoadImagesOnce() {
  if (imagesLoaded_) return;
  imagesLoaded_ = true;
  const std::wstring folder = ProgramFolder() + L"skins\\";
  empty_ = LoadSkinImage(folder + L"progress_normal.png");
  full_ = LoadSkinImage(folder + L"progress_over.png");
}

void CProgressDlg::PaintOffScreen() {
  LoadImagesOnce();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  RECT client;
  GetClientRect(hwnd(), &client);
  int w = client.right, h = client.bottom;
  MemoryDc canvas(dc);
  if (canvas.CreateSurface(dc, w, h)) {
    {
      Gdiplus::Graphics graphics(canvas.get());
      if (empty_) {
        graphics.DrawImage(empty_.get(), 0, 0, w, h);
      } else {
        Gdiplus::SolidBrush plain(Gdiplus::Color(255, GetRValue(kPlainSkinColour),
                                                 GetGValue(kPlainSkinColour),
                                                 GetBValue(kPlainSkinColour)));
        graphics.FillRectangle(&plain, 0, 0, w, h);
      }
      int end = FillEnd();
      if (full_ && end > 0)
        graphics.DrawImage(full_.get(), 0, 0, 0, 0, end, h, Gdiplus::UnitPixel);
    }
    if (!text_.empty()) {
      bool unset = !(textWidth_ > 1.1920929e-7f) || !(textHeight_ > 1.1920929e-7f);
      if (unset)
        DrawSkinText(canvas.get(), text_, 8, 0, kTextColour, 45, 40, 200, 25, L"");
      else
        DrawSkinText(canvas.get(), text_, 8, 0, kTextColour, textX_, textY_, textWidth_,
                     textHeight_, L"");
    }
    BitBlt(dc, 0, 0, w, h, canvas.get(), 0, 0, SRCCOPY);
  }
  EndPaint(hwnd(), &ps);
}

LRESULT CProgressDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kProgressMessage:
      SetProgressPosition(int(INT32(wParam)));
      return 1;
    case WM_PAINT:
      PaintOffScreen();
      return 0;
    case WM_ERASEBKGND:
      return 0;
    case WM_CLOSE:
      imagesLoaded_ = true;  // and gone for good
      empty_.reset();
      full_.reset();
      break;
  }
  return SkinnedDialog::HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
