#include "pages/list_page_style.h"

#include "skin/skin_scroll_wnd.h"

namespace q730x {

namespace {
constexpr RECT kListRect{0, 0, 372, 171};
constexpr COLORREF kBackground = RGB(15, 15, 15);
constexpr COLORREF kText = RGB(83, 92, 107);
constexpr COLORREF kSelectedBack = RGB(37, 37, 37);
constexpr COLORREF kSelectedText = RGB(150, 150, 150);
constexpr int kScrollBitmap = 176;
}  // namespace

bool CreatePageList(HWND page, CListBoxEx& list, int id, int entryHeight, UniqueBitmap& scrollBitmap) {
  if (!list.Create(page, kListRect, id)) return false;
  list.SetBackgroundColour(kBackground);
  list.SetTextColour(kText);
  list.SetSelectedBackColour(kSelectedBack);
  list.SetSelectedTextColour(kSelectedText);
  list.SetEntryHeight(entryHeight);
  scrollBitmap.reset(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kScrollBitmap)));
  if (scrollBitmap) WrapWithSkinScroll(list.hwnd(), scrollBitmap.get());
  return true;
}

}  // namespace q730x
