// The owner-drawn menu items, drawn into a bitmap: sizes, the icon column and
// text area, the selected frame and fill, the icon moving one pixel up and
// left when selected, and an item without a record drawing nothing.
#include <gtest/gtest.h>

#include "gui_support.h"
#include "skin/gdi_handles.h"
#include "skin/kavex_menu.h"

namespace q730x {
namespace {

// One item drawn at (0, 0) of a fresh 75 x 22 bitmap filled with a marker colour.
class DrawnItem {
 public:
  DrawnItem(const CKavexMenu& menu, const MenuItemRecord* record, bool selected)
      : screen_(nullptr), canvas_(screen_.get()) {
    canvas_.CreateSurface(screen_.get(), kMenuItemWidth, kMenuItemHeight);
    RECT all{0, 0, kMenuItemWidth, kMenuItemHeight};
    UniqueBrush marker(CreateSolidBrush(kMarker));
    FillRect(canvas_.get(), &all, marker.get());
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_MENU;
    item.itemState = selected ? ODS_SELECTED : 0;
    item.hDC = canvas_.get();
    item.rcItem = all;
    item.itemData = reinterpret_cast<ULONG_PTR>(record);
    menu.Draw(item);
  }
  COLORREF At(int x, int y) const { return GetPixel(canvas_.get(), x, y); }
  static constexpr COLORREF kMarker = RGB(1, 2, 3);

 private:
  WindowDc screen_;
  MemoryDc canvas_;
};

TEST(KavexMenu, ItemsAreSeventyFiveByTwentyTwo) {
  MEASUREITEMSTRUCT item{};
  CKavexMenu::Measure(item);
  EXPECT_EQ(item.itemWidth, 75u);
  EXPECT_EQ(item.itemHeight, 22u);
}

TEST(KavexMenu, PlainItemHasItsIconColumnAndLightTextArea) {
  CKavexMenu menu;
  menu.SetColours(RGB(219, 216, 209), RGB(177, 185, 207));
  const MenuItemRecord record{147, 147, L"Exit"};
  DrawnItem plain(menu, &record, false);
  EXPECT_EQ(plain.At(22, 11), RGB(219, 216, 209));
  EXPECT_EQ(plain.At(1, 20), RGB(219, 216, 209));
  EXPECT_EQ(plain.At(26, 1), RGB(249, 248, 247));
  EXPECT_EQ(plain.At(74, 21), RGB(249, 248, 247));
}

TEST(KavexMenu, SelectedItemIsFramedFilledAndItsIconMovesUpAndLeft) {
  CKavexMenu menu;
  const MenuItemRecord record{147, 147, L"Exit"};
  DrawnItem plain(menu, &record, false);
  DrawnItem selected(menu, &record, true);
  EXPECT_EQ(selected.At(0, 0), RGB(0, 0, 0));
  EXPECT_EQ(selected.At(74, 21), RGB(0, 0, 0));
  EXPECT_EQ(selected.At(60, 1), RGB(177, 185, 207));
  // The icon's middle, one pixel up and left.
  EXPECT_EQ(selected.At(2 + 8, 2 + 8), plain.At(3 + 8, 3 + 8));
  EXPECT_NE(plain.At(3 + 8, 3 + 8), RGB(219, 216, 209)) << "the icon is drawn";
}

TEST(KavexMenu, ItemWithoutARecordDrawsNothing) {
  CKavexMenu menu;
  DrawnItem empty(menu, nullptr, true);
  EXPECT_EQ(empty.At(0, 0), DrawnItem::kMarker);
  EXPECT_EQ(empty.At(40, 11), DrawnItem::kMarker);
}

}  // namespace
}  // namespace q730x
