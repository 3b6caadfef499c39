#include "skin/kavex_menu.h"

#include "skin/gdi_handles.h"
#include "skin/skin_files.h"

namespace q730x {

namespace {

void Fill(HDC dc, RECT r, COLORREF colour) {
  UniqueBrush brush(CreateSolidBrush(colour));
  FillRect(dc, &r, brush.get());
}

void DrawResourceIcon(HDC dc, std::uint32_t id, int x, int y) {
  // Icons from the program's resources, shared: not destroyed.
  HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                             16, 16, LR_SHARED));
  if (icon) DrawIconEx(dc, x, y, icon, 16, 16, 0, nullptr, DI_NORMAL);
}

}  // namespace

bool CKavexMenu::Append(UINT command, const MenuItemRecord& record) {
  return menu_ && AppendMenuW(menu_, MF_OWNERDRAW, command,
                              reinterpret_cast<LPCWSTR>(const_cast<MenuItemRecord*>(&record)));
}

void CKavexMenu::Measure(MEASUREITEMSTRUCT& item) {
  item.itemWidth = kMenuItemWidth;
  item.itemHeight = kMenuItemHeight;
}

void CKavexMenu::Draw(const DRAWITEMSTRUCT& item) const {
  const auto* record = reinterpret_cast<const MenuItemRecord*>(item.itemData);
  if (!record) return;
  HDC dc = item.hDC;
  const RECT r = item.rcItem;
  const bool selected = item.itemState & ODS_SELECTED;
  SetBkMode(dc, TRANSPARENT);
  if (selected) {
    Fill(dc, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, RGB(177, 185, 207));
    UniqueBrush black(CreateSolidBrush(RGB(0, 0, 0)));
    FrameRect(dc, &r, black.get());
    DrawResourceIcon(dc, record->selectedIcon, r.left + 2, r.top + 2);
  } else {
    Fill(dc, {r.left, r.top, r.left + 25, r.bottom}, iconColumn_);
    Fill(dc, {r.left + 25, r.top, r.right, r.bottom}, RGB(249, 248, 247));
    DrawResourceIcon(dc, record->normalIcon, r.left + 3, r.top + 3);
  }
  UniqueFont font = CreateSkinFont(500);
  SelectedFont chosen(dc, font.get());
  SetTextColor(dc, selected ? RGB(0, 60, 145) : RGB(0, 0, 0));
  RECT text{r.left + 33, r.top, r.right, r.bottom};
  DrawTextW(dc, record->text.c_str(), int(record->text.size()), &text,
            DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS);
}

}  // namespace q730x
