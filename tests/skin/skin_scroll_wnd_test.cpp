// Skinned bars put on real platform controls: the frame, LIMIT and the bars
// in their places, the control's own bars out of sight, the bars following
// the control and scrolling it, its notifications still reaching the dialog,
// both bars with their corner, a bar on the left, and the frame going away
// with the control.
#include <gtest/gtest.h>

#include <string>

#include "gui_support.h"
#include "scroll_test_host.h"
#include "skin/skin_files.h"
#include "skin/skin_scroll_wnd.h"

namespace q730x {
namespace {

using test::LeftButton;
using test::MovePointerTo;
using test::Pump;
using test::PumpUntil;
using test::SkinCell;
using test::WindowPixel;

constexpr int kListId = 1234;

std::wstring TextOf(HWND window) {
  wchar_t text[64] = {};
  GetWindowTextW(window, text, 64);
  return text;
}

RECT RectIn(HWND window, HWND in) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, in, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void ExpectRect(RECT rect, int left, int top, int right, int bottom) {
  EXPECT_EQ(rect.left, left);
  EXPECT_EQ(rect.top, top);
  EXPECT_EQ(rect.right, right);
  EXPECT_EQ(rect.bottom, bottom);
}

class SkinScrollWndTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.Create(100, 100, 500, 300));
    skin_ = test::MakeScrollSkin();
    MovePointerTo(host_.hwnd(), {480, 280});
  }
  void TearDown() override { LeftButton(false); }

  // A 200 x 200 control at (20, 20) of the host.
  HWND MakeControl(const wchar_t* type, DWORD style, DWORD exStyle = 0) {
    return CreateWindowExW(exStyle, type, L"", WS_CHILD | WS_VISIBLE | style, 20, 20, 200, 200,
                           host_.hwnd(), reinterpret_cast<HMENU>(INT_PTR(kListId)),
                           GetModuleHandleW(nullptr), nullptr);
  }
  HWND MakeList(int items, DWORD style = 0, DWORD exStyle = 0) {
    HWND list = MakeControl(L"LISTBOX", WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | style,
                            exStyle);
    for (int i = 0; i < items; ++i)
      SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((L"Item " + std::to_wstring(i)).c_str()));
    return list;
  }
  CSkinScrollWnd* Wrap(HWND control) {
    CSkinScrollWnd* frame = WrapWithSkinScroll(control, skin_.get());
    Pump(200);
    return frame;
  }
  static int TopIndex(HWND list) { return int(SendMessageW(list, LB_GETTOPINDEX, 0, 0)); }

  test::ScrollHost host_;
  UniqueBitmap skin_;
};

TEST_F(SkinScrollWndTest, ControlMovesIntoLimitInsideAFrameInItsPlace) {
  HWND list = MakeList(100, WS_BORDER);
  CSkinScrollWnd* frame = Wrap(list);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->cell(), 18);
  EXPECT_EQ(frame->control(), list);
  EXPECT_EQ(GetParent(list), frame->limit());
  EXPECT_EQ(GetParent(frame->limit()), frame->hwnd());
  EXPECT_EQ(GetParent(frame->hwnd()), host_.hwnd());
  EXPECT_EQ(GetDlgCtrlID(frame->hwnd()), kListId);
  EXPECT_EQ(TextOf(frame->hwnd()), L"SkinScrollBarFrame");
  EXPECT_EQ(GetDlgCtrlID(frame->limit()), 200);
  EXPECT_EQ(TextOf(frame->limit()), L"LIMIT");
  EXPECT_EQ(GetDlgCtrlID(frame->horizontalBar().hwnd()), 100);
  EXPECT_EQ(GetDlgCtrlID(frame->verticalBar().hwnd()), 101);
  ExpectRect(RectIn(frame->hwnd(), host_.hwnd()), 20, 20, 220, 220);

  // The border went from the control to the frame.
  EXPECT_TRUE(GetWindowLongPtrW(frame->hwnd(), GWL_STYLE) & WS_BORDER);
  EXPECT_FALSE(GetWindowLongPtrW(list, GWL_STYLE) & WS_BORDER);
  const int inner = 200 - 2 * GetSystemMetrics(SM_CXBORDER);
  RECT client;
  GetClientRect(frame->hwnd(), &client);
  EXPECT_EQ(client.right, inner);
  ExpectRect(RectIn(list, frame->limit()), 0, 0, inner, inner);

  // The vertical bar one cell wide at the right; LIMIT cuts off the rest.
  HWND vertical = frame->verticalBar().hwnd();
  EXPECT_TRUE(IsWindowVisible(vertical));
  EXPECT_FALSE(IsWindowVisible(frame->horizontalBar().hwnd()));
  ExpectRect(RectIn(vertical, frame->hwnd()), inner - 18, 0, inner, inner);
  ExpectRect(RectIn(frame->limit(), frame->hwnd()), 0, 0, inner - 18, inner);
  EXPECT_EQ(frame->corner(), CSkinScrollWnd::Corner::None);
}

TEST_F(SkinScrollWndTest, OnlyTheSkinnedBarShows) {
  HWND list = MakeList(100);
  CSkinScrollWnd* frame = Wrap(list);
  ASSERT_NE(frame, nullptr);
  HWND vertical = frame->verticalBar().hwnd();
  // Up arrow, track and down arrow, as the host window shows them.
  EXPECT_EQ(WindowPixel(host_.hwnd(), {20 + 191, 20 + 5}), SkinCell(0, 0));
  EXPECT_EQ(WindowPixel(host_.hwnd(), {20 + 191, 20 + 100}), SkinCell(3, 0));
  EXPECT_EQ(WindowPixel(host_.hwnd(), {20 + 191, 20 + 195}), SkinCell(1, 0));
  EXPECT_EQ(WindowPixel(host_.hwnd(), {20 + 182, 20 + 195}), SkinCell(1, 0));
  EXPECT_EQ(WindowPixel(vertical, {9, 5}), SkinCell(0, 0));
}

TEST_F(SkinScrollWndTest, BarMirrorsTheControlsScrollState) {
  HWND list = MakeList(100);
  CSkinScrollWnd* frame = Wrap(list);
  ASSERT_NE(frame, nullptr);
  SCROLLINFO own{};
  own.cbSize = sizeof own;
  own.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &own));
  const ScrollState& state = frame->verticalBar().state();
  EXPECT_EQ(state.minimum, 0);
  EXPECT_EQ(state.maximum, 99);
  EXPECT_EQ(state.page, own.nPage);
  EXPECT_GT(state.page, 5u);
  EXPECT_EQ(state.position, 0);
  EXPECT_TRUE(IsWindowEnabled(frame->verticalBar().hwnd()));

  SendMessageW(list, LB_SETTOPINDEX, 50, 0);
  EXPECT_TRUE(PumpUntil([&] { return frame->verticalBar().state().position == 50; }, 1500));
}

TEST_F(SkinScrollWndTest, ArrowOfTheBarScrollsTheControl) {
  HWND list = MakeList(100);
  CSkinScrollWnd* frame = Wrap(list);
  ASSERT_NE(frame, nullptr);
  HWND vertical = frame->verticalBar().hwnd();
  MovePointerTo(vertical, {9, 190});
  LeftButton(true);
  LeftButton(false);
  EXPECT_EQ(TopIndex(list), 1);
  EXPECT_EQ(frame->verticalBar().state().position, 1);
  MovePointerTo(vertical, {9, 5});
  LeftButton(true);
  LeftButton(false);
  EXPECT_EQ(TopIndex(list), 0);
}

TEST_F(SkinScrollWndTest, DraggedThumbScrollsTheControlAsItMoves) {
  HWND list = MakeList(100);
  CSkinScrollWnd* frame = Wrap(list);
  ASSERT_NE(frame, nullptr);
  HWND vertical = frame->verticalBar().hwnd();
  MovePointerTo(vertical, {9, 20});
  LeftButton(true);
  ASSERT_TRUE(frame->verticalBar().dragging());
  MovePointerTo(vertical, {9, 80});
  const int during = TopIndex(list);
  EXPECT_GT(during, 0);
  EXPECT_EQ(frame->verticalBar().state().trackPosition, during);
  LeftButton(false);
  EXPECT_EQ(TopIndex(list), during);
  EXPECT_EQ(frame->verticalBar().state().position, during);
  EXPECT_EQ(frame->verticalBar().state().trackPosition, -1);
}

TEST_F(SkinScrollWndTest, WheelOverTheBarScrollsTheControl) {
  HWND list = MakeList(100);
  CSkinScrollWnd* frame = Wrap(list);
  ASSERT_NE(frame, nullptr);
  SendMessageW(frame->verticalBar().hwnd(), WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
  EXPECT_GT(TopIndex(list), 0);
}

TEST_F(SkinScrollWndTest, ControlsNotificationsStillReachTheDialog) {
  HWND list = MakeList(100);
  ASSERT_NE(Wrap(list), nullptr);
  MovePointerTo(list, {40, 30});
  LeftButton(true);
  LeftButton(false);
  EXPECT_NE(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);
  bool selectionChange = false;
  for (WPARAM command : host_.commands)
    selectionChange |= LOWORD(command) == kListId && HIWORD(command) == LBN_SELCHANGE;
  EXPECT_TRUE(selectionChange);
}

TEST_F(SkinScrollWndTest, BarAppearsOnceTheEntriesExceedTheVisibleCount) {
  HWND list = MakeList(3);
  CSkinScrollWnd* frame = Wrap(list);
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(IsWindowVisible(frame->verticalBar().hwnd()));
  ExpectRect(RectIn(frame->limit(), frame->hwnd()), 0, 0, 200, 200);
  for (int i = 3; i < 60; ++i) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"More"));
  Pump(200);
  EXPECT_TRUE(IsWindowVisible(frame->verticalBar().hwnd()));
  ExpectRect(RectIn(frame->limit(), frame->hwnd()), 0, 0, 182, 200);
  EXPECT_EQ(WindowPixel(host_.hwnd(), {20 + 191, 20 + 5}), SkinCell(0, 0));
}

TEST_F(SkinScrollWndTest, HeldArrowKeepsScrollingTheControl) {
  HWND list = MakeList(100);
  CSkinScrollWnd* frame = Wrap(list);
  ASSERT_NE(frame, nullptr);
  MovePointerTo(frame->verticalBar().hwnd(), {9, 190});
  LeftButton(true);
  Pump(900);  // one at once, one at 500 ms, then one every 100 ms
  LeftButton(false);
  EXPECT_GE(TopIndex(list), 3);
  EXPECT_LE(TopIndex(list), 8);
  EXPECT_EQ(frame->verticalBar().state().position, TopIndex(list));
}

TEST_F(SkinScrollWndTest, ContentThatFitsShowsADisabledBar) {
  HWND list = MakeList(3, LBS_DISABLENOSCROLL);
  CSkinScrollWnd* frame = Wrap(list);
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(IsWindowVisible(frame->verticalBar().hwnd()));
  EXPECT_FALSE(IsWindowEnabled(frame->verticalBar().hwnd()));
  for (int i = 3; i < 60; ++i) SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"More"));
  EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(frame->verticalBar().hwnd()) != FALSE; }, 1500));
}

TEST_F(SkinScrollWndTest, BothBarsMeetAtTheCornerCell) {
  HWND edit = MakeControl(L"EDIT", WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL);
  std::wstring text;
  for (int i = 0; i < 40; ++i) text += L"A long line of text that runs past the right edge " + std::to_wstring(i) + L"\r\n";
  SetWindowTextW(edit, text.c_str());
  CSkinScrollWnd* frame = Wrap(edit);
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(IsWindowVisible(frame->verticalBar().hwnd()));
  EXPECT_TRUE(IsWindowVisible(frame->horizontalBar().hwnd()));
  EXPECT_EQ(frame->corner(), CSkinScrollWnd::Corner::Right);
  ExpectRect(RectIn(frame->verticalBar().hwnd(), frame->hwnd()), 182, 0, 200, 182);
  ExpectRect(RectIn(frame->horizontalBar().hwnd(), frame->hwnd()), 0, 182, 182, 200);
  ExpectRect(RectIn(frame->limit(), frame->hwnd()), 0, 0, 182, 182);
  EXPECT_EQ(WindowPixel(host_.hwnd(), {20 + 190, 20 + 190}), SkinCell(8, 0));
  EXPECT_EQ(WindowPixel(host_.hwnd(), {20 + 5, 20 + 190}), SkinCell(4, 0));

  MovePointerTo(frame->horizontalBar().hwnd(), {175, 9});
  LeftButton(true);
  LeftButton(false);
  EXPECT_GT(GetScrollPos(edit, SB_HORZ), 0);
}

TEST_F(SkinScrollWndTest, BarOnTheLeftForALeftScrollBarControl) {
  HWND list = MakeList(100, 0, WS_EX_LEFTSCROLLBAR);
  CSkinScrollWnd* frame = Wrap(list);
  ASSERT_NE(frame, nullptr);
  ExpectRect(RectIn(frame->verticalBar().hwnd(), frame->hwnd()), 0, 0, 18, 200);
  ExpectRect(RectIn(frame->limit(), frame->hwnd()), 18, 0, 200, 200);
  ExpectRect(RectIn(list, frame->limit()), -18, 0, 182, 200);
  EXPECT_EQ(WindowPixel(host_.hwnd(), {20 + 9, 20 + 5}), SkinCell(0, 0));
}

TEST_F(SkinScrollWndTest, DestroyingTheControlTakesTheFrameAway) {
  HWND list = MakeList(100);
  CSkinScrollWnd* frame = Wrap(list);
  ASSERT_NE(frame, nullptr);
  HWND frameWindow = frame->hwnd();
  HWND limit = frame->limit();
  DestroyWindow(list);
  EXPECT_FALSE(IsWindow(list));
  EXPECT_FALSE(IsWindow(frameWindow));
  EXPECT_FALSE(IsWindow(limit));
  Pump(700);  // no timer of a frame that is gone
}

TEST_F(SkinScrollWndTest, DestroyingTheDialogTakesFrameAndControl) {
  HWND list = MakeList(100);
  CSkinScrollWnd* frame = Wrap(list);
  ASSERT_NE(frame, nullptr);
  HWND frameWindow = frame->hwnd();
  host_.Destroy();
  EXPECT_FALSE(IsWindow(list));
  EXPECT_FALSE(IsWindow(frameWindow));
}

// An owner-drawn list of our own that measures, draws and hears its
// selection itself, as the utility's list does.
class SelfDrawnList : public Window {
 public:
  bool Create(HWND parent) {
    HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY |
                                LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                                20, 20, 200, 200, parent, reinterpret_cast<HMENU>(INT_PTR(kListId)),
                                GetModuleHandleW(nullptr), nullptr);
    return list && Attach(list);
  }
  int measured = 0, drawn = 0, selectionChanges = 0, colourRequests = 0;

 protected:
  bool OnMeasureItem(MEASUREITEMSTRUCT& item) override {
    item.itemHeight = 20;
    return ++measured, true;
  }
  bool OnDrawItem(DRAWITEMSTRUCT& item) override {
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
    return ++drawn, true;
  }
  bool OnReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
    if (message == WM_CTLCOLORLISTBOX) {
      ++colourRequests;
      result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      return true;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == LBN_SELCHANGE) return ++selectionChanges, (result = 0), true;
    return false;
  }
};

TEST_F(SkinScrollWndTest, ControlOfOursStillAnswersItsOwnNotifications) {
  SelfDrawnList list;
  ASSERT_TRUE(list.Create(host_.hwnd()));
  CSkinScrollWnd* frame = Wrap(list.hwnd());
  ASSERT_NE(frame, nullptr);
  list.drawn = list.colourRequests = 0;
  for (int i = 0; i < 30; ++i) SendMessageW(list.hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Step"));
  EXPECT_EQ(list.measured, 30);  // measured through LIMIT
  InvalidateRect(list.hwnd(), nullptr, TRUE);
  Pump(200);
  EXPECT_GT(list.drawn, 0);
  EXPECT_GT(list.colourRequests, 0);
  MovePointerTo(list.hwnd(), {40, 30});
  LeftButton(true);
  LeftButton(false);
  EXPECT_EQ(list.selectionChanges, 1);
  for (WPARAM command : host_.commands) EXPECT_NE(HIWORD(command), LBN_SELCHANGE);  // answered, not passed on
  EXPECT_EQ(frame->verticalBar().state().maximum, 29);
  DestroyWindow(list.hwnd());
}

TEST_F(SkinScrollWndTest, EmbeddedEightBitPictureDrawsTheBar) {
  UniqueBitmap picture = LoadScrollSkinBitmap();
  // The picture's colours, read from a 24-bit copy of it.
  UniqueBitmap copy = test::MakeBitmap(163, 54, [](int, int) { return RGB(0, 0, 0); });
  {
    WindowDc screen(nullptr);
    MemoryDc from(screen.get()), to(screen.get());
    from.Borrow(picture.get());
    to.Adopt(std::move(copy));
    BitBlt(to.get(), 0, 0, 163, 54, from.get(), 0, 0, SRCCOPY);
    copy = to.TakeSurface();
  }
  HWND list = MakeList(100);
  CSkinScrollWnd* frame = WrapWithSkinScroll(list, picture.get());
  ASSERT_NE(frame, nullptr);
  Pump(200);
  HWND vertical = frame->verticalBar().hwnd();
  RECT bar;
  GetClientRect(vertical, &bar);
  EXPECT_EQ(bar.right, 18);
  EXPECT_EQ(WindowPixel(vertical, {9, 9}), test::BitmapPixel(copy.get(), {9, 9}));
  EXPECT_EQ(WindowPixel(vertical, {4, 3}), test::BitmapPixel(copy.get(), {4, 3}));
  EXPECT_EQ(WindowPixel(vertical, {9, 100}), test::BitmapPixel(copy.get(), {3 * 18 + 9, 100 % 18}));
  EXPECT_EQ(WindowPixel(vertical, {9, 190}), test::BitmapPixel(copy.get(), {18 + 9, 190 - 182}));
  EXPECT_NE(test::BitmapPixel(copy.get(), {9, 9}), test::BitmapPixel(copy.get(), {3 * 18 + 9, 10}));
  DestroyWindow(list);  // before the picture goes
}

TEST_F(SkinScrollWndTest, TopLevelWindowsAreNotWrapped) {
  EXPECT_EQ(WrapWithSkinScroll(host_.hwnd(), skin_.get()), nullptr);
  EXPECT_EQ(WrapWithSkinScroll(nullptr, skin_.get()), nullptr);
}

}  // namespace
}  // namespace q730x
