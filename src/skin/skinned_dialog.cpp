#include "skin/skinned_dialog.h"

#include "skin/bitmap_button.h"
#include "skin/skin_files.h"
#include "skin/spoken_label.h"

namespace q730x {

SkinnedDialog::SkinnedDialog(int templateId, SIZE expectedSize, DialogKeys keys)
    : Dialog(templateId, keys), expectedSize_(expectedSize) {}

SIZE SkinnedDialog::SkinSize() const {
  SIZE size = normal_ ? normal_->size() : SIZE{};
  return size.cx > 0 ? size : expectedSize_;
}

void SkinnedDialog::LoadSkinFiles(const std::wstring& normal, const std::wstring& pressed,
                                  const std::wstring& hover) {
  auto load = [](const std::wstring& path) {
    UniqueBitmap bitmap;
    if (!path.empty()) LoadSkinBitmap(path, bitmap, nullptr);
    return Picture::FromBitmap(std::move(bitmap));
  };
  normal_ = load(normal);
  pressed_ = load(pressed);
  hover_ = load(hover);
  buttonOrigin_ = {0, 0};
}

void SkinnedDialog::LoadEmbeddedBitmaps(int normal, int hover, int pressed) {
  HINSTANCE module = GetModuleHandleW(nullptr);
  auto load = [&](int id) { return id ? Picture::FromResource(module, id) : nullptr; };
  normal_ = load(normal);
  hover_ = load(hover);
  pressed_ = load(pressed);
  buttonOrigin_ = {0, 0};
}

void SkinnedDialog::KeepButtonArea(RECT area) {
  SharedPicture hover = Picture::Part(hover_, area), pressed = Picture::Part(pressed_, area);
  // Both or neither, so that one origin holds for both.
  if ((hover_ && !hover) || (pressed_ && !pressed)) return;
  hover_ = std::move(hover);
  pressed_ = std::move(pressed);
  buttonOrigin_ = {area.left, area.top};
}

void SkinnedDialog::PlaceCentredOnScreen() {
  SIZE size = SkinSize();
  int x = (GetSystemMetrics(SM_CXFULLSCREEN) - size.cx) / 2;
  int y = (GetSystemMetrics(SM_CYFULLSCREEN) - size.cy) / 2;
  SetWindowPos(hwnd(), nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void SkinnedDialog::PlaceCentredOnParent(bool topmost, bool show) {
  SIZE size = SkinSize();
  HWND parent = GetParent(hwnd());
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (parent) GetWindowRect(parent, &area);
  int x = area.left + ((area.right - area.left - size.cx) >> 1);
  int y = area.top + ((area.bottom - area.top - size.cy) >> 1);
  SetWindowPos(hwnd(), topmost ? HWND_TOPMOST : nullptr, x, y, size.cx, size.cy,
               (topmost ? (show ? SWP_SHOWWINDOW : 0) : SWP_NOZORDER) | SWP_NOACTIVATE);
}

bool SkinnedDialog::CreateSkinButton(CGDIBitmapBtn& button, RECT rect, const std::wstring& text) {
  if (!button.Create(hwnd(), rect)) return false;
  button.SetImages(normal_, nullptr, nullptr, normal_, rect);
  RECT inParts = rect;
  OffsetRect(&inParts, -buttonOrigin_.x, -buttonOrigin_.y);
  button.SetImages(nullptr, hover_, pressed_, nullptr, inParts);
  if (!text.empty()) button.SetText(text);
  button.SetTabStop(true);  // a button nobody reaches by Tab is taken out by its owner
  return true;
}

void SkinnedDialog::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  if (normal_) {
    // Only what needs painting: a key's repaint does not convert the whole page.
    const RECT& r = ps.rcPaint;
    normal_->Draw(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, {r.left, r.top});
  } else {
    RECT client;
    GetClientRect(hwnd(), &client);
    UniqueBrush plain(CreateSolidBrush(kPlainSkinColour));
    FillRect(dc, &client, plain.get());
  }
  PaintTexts(dc);
  EndPaint(hwnd(), &ps);
}

LRESULT SkinnedDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_HELP:
      return TRUE;
    case WM_WINDOWPOSCHANGED:
      if (announce_ && (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW))
        AnnounceAlert(hwnd());
      break;
    case WM_LBUTTONDOWN: {
      HWND target = dragParent_ ? GetParent(hwnd()) : hwnd();
      if (target) PostMessageW(target, WM_NCLBUTTONDOWN, HTCAPTION, lParam);
      break;
    }
  }
  return Dialog::HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
