// CKavexMenu: a popup menu whose items draw themselves: an icon column with a
// 16 x 16 icon, a light text area, and a framed blue-grey highlight for the
// selected item. The owner window passes its WM_MEASUREITEM and WM_DRAWITEM
// requests for menus on to Measure and Draw.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace q730x {

// The data of one item; the menu's user keeps it alive while the menu shows.
struct MenuItemRecord {
  std::uint32_t normalIcon = 0;    // icon resource ids
  std::uint32_t selectedIcon = 0;
  std::wstring text;
};

inline constexpr int kMenuItemWidth = 75;
inline constexpr int kMenuItemHeight = 22;

class CKavexMenu {
 public:
  CKavexMenu() : menu_(CreatePopupMenu()) {}
  ~CKavexMenu() {
    if (menu_) DestroyMenu(menu_);
  }
  CKavexMenu(const CKavexMenu&) = delete;
  CKavexMenu& operator=(const CKavexMenu&) = delete;

  HMENU handle() const { return menu_; }
  void SetColours(COLORREF iconColumn, COLORREF second) { iconColumn_ = iconColumn, second_ = second; }
  bool Append(UINT command, const MenuItemRecord& record);

  static void Measure(MEASUREITEMSTRUCT& item);
  void Draw(const DRAWITEMSTRUCT& item) const;

 private:
  HMENU menu_;
  COLORREF iconColumn_ = RGB(219, 216, 209);
  COLORREF second_ = RGB(177, 185, 207);  // kept, not drawn
};

}  // namespace q730x
