// The bitmap button under a real pointer: looks cut from the owner's
// pictures, hover with capture and its hand-over, pressed and checked looks,
// mouse reports, tooltips.
#include <gtest/gtest.h>

#include <windowsx.h>

#include <vector>

#include "gui_support.h"
#include "skin/bitmap_button.h"
#include "skin/skin_files.h"
#include "skin/skinned_dialog.h"

namespace q730x {
namespace {

using test::MovePointerTo;
using test::Pump;
using test::WindowPixel;

// The report rate dialog's pictures with four of its buttons.
class ButtonHost : public SkinnedDialog {
 public:
  ButtonHost() : SkinnedDialog(161, {327, 170}) {}

  CGDIBitmapBtn ok, first, second, check;
  std::vector<HWND> commands;
  std::vector<std::pair<WPARAM, LPARAM>> reports;
  std::vector<POINT> moves;

 protected:
  bool OnInitDialog() override {
    LoadEmbeddedBitmaps(165, 163, 164);
    SetWindowPos(hwnd(), HWND_TOPMOST, 100, 100, 327, 170, SWP_SHOWWINDOW);
    CreateSkinButton(ok, {228, 139, 297, 169}, L"OK");
    CreateSkinButton(first, {58, 77, 112, 95});
    CreateSkinButton(second, {132, 77, 184, 95});
    CreateSkinButton(check, {205, 77, 264, 95});
    check.SetCheckMode(true);
    return true;
  }
  bool OnCommand(HWND control, int code, int id) override {
    if (control) commands.push_back(control);
    return SkinnedDialog::OnCommand(control, code, id);
  }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == kMouseReportMessage) reports.push_back({wParam, lParam});
    if (message == WM_MOUSEMOVE) moves.push_back({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    return SkinnedDialog::HandleMessage(message, wParam, lParam);
  }
};

class BitmapButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host_.CreateModeless(nullptr));
    SetForegroundWindow(host_.hwnd());
    MovePointerTo(host_.hwnd(), {20, 140});  // on the background, away from every button
  }
  // The colour of one of the host's pictures at a host client point.
  COLORREF PictureAt(HBITMAP bitmap, POINT at) { return test::BitmapPixel(bitmap, at); }
  COLORREF PictureAt(const SharedPicture& picture, POINT at) { return test::PicturePixel(picture, at); }
  // A point inside the first button, in its own and in the host's coordinates.
  static constexpr POINT kInFirst{6, 9};
  static constexpr POINT kInFirstHost{58 + 6, 77 + 9};

  GdiplusSession gdiplus_;
  ButtonHost host_;
};

TEST_F(BitmapButtonTest, LooksFollowTheTable) {
  CGDIBitmapBtn& b = host_.first;
  using Look = CGDIBitmapBtn::Look;
  EXPECT_EQ(b.ChooseLook(false, false), Look::Normal);
  EXPECT_EQ(b.ChooseLook(true, false), Look::Pressed);
  EXPECT_EQ(b.ChooseLook(false, true), Look::Disabled);
  b.SetChecked(true);
  EXPECT_EQ(b.ChooseLook(false, true), Look::Pressed);  // a checked push button stays pressed
  CGDIBitmapBtn& c = host_.check;
  EXPECT_EQ(c.ChooseLook(true, false), Look::Normal);   // check buttons ignore the push
  c.SetChecked(true);
  EXPECT_EQ(c.ChooseLook(false, true), Look::Pressed);
}

TEST_F(BitmapButtonTest, HoverLookAppearsUnderThePointerAndLeavesWithIt) {
  HWND button = host_.first.hwnd();
  EXPECT_EQ(WindowPixel(button, kInFirst), PictureAt(host_.NormalPicture(), kInFirstHost));
  MovePointerTo(button, kInFirst);
  EXPECT_TRUE(host_.first.hover());
  EXPECT_EQ(GetCapture(), button);
  EXPECT_EQ(WindowPixel(button, kInFirst), PictureAt(host_.HoverPicture(), kInFirstHost));
  ASSERT_NE(PictureAt(host_.HoverPicture(), kInFirstHost), PictureAt(host_.NormalPicture(), kInFirstHost));

  MovePointerTo(host_.hwnd(), {20, 140});
  EXPECT_FALSE(host_.first.hover());
  EXPECT_NE(GetCapture(), button);
  EXPECT_EQ(WindowPixel(button, kInFirst), PictureAt(host_.NormalPicture(), kInFirstHost));
}

TEST_F(BitmapButtonTest, CaptureIsHandedOverBetweenButtons) {
  MovePointerTo(host_.first.hwnd(), kInFirst);
  ASSERT_TRUE(host_.first.hover());
  MovePointerTo(host_.second.hwnd(), {10, 9});
  EXPECT_FALSE(host_.first.hover());
  EXPECT_TRUE(host_.second.hover());
  EXPECT_EQ(GetCapture(), host_.second.hwnd());
}

TEST_F(BitmapButtonTest, PressedLookWhileTheButtonIsHeldThenACommand) {
  HWND button = host_.ok.hwnd();
  MovePointerTo(button, {10, 4});
  test::LeftButton(true);
  EXPECT_EQ(WindowPixel(button, {10, 4}), PictureAt(host_.PressedPicture(), {238, 143}));
  test::LeftButton(false);
  ASSERT_EQ(host_.commands.size(), 1u);
  EXPECT_EQ(host_.commands[0], button);
}

TEST_F(BitmapButtonTest, CheckedCheckButtonShowsPressedAndIgnoresHover) {
  HWND button = host_.check.hwnd();
  host_.check.SetChecked(true);
  Pump(100);
  EXPECT_EQ(WindowPixel(button, {5, 9}), PictureAt(host_.PressedPicture(), {210, 86}));
  MovePointerTo(button, {5, 9});
  EXPECT_EQ(WindowPixel(button, {5, 9}), PictureAt(host_.PressedPicture(), {210, 86}));
  host_.check.SetChecked(false);
  Pump(100);
  EXPECT_EQ(WindowPixel(button, {5, 9}), PictureAt(host_.NormalPicture(), {210, 86}));
}

// A button draws from the pictures it was given, the part at the rectangle
// given (not where the button itself sits), and keeps them alive: they stay
// valid after everyone else has let go of them.
TEST_F(BitmapButtonTest, LooksAreTheGivenPartsOfPicturesTheButtonKeeps) {
  CGDIBitmapBtn button;
  ASSERT_TRUE(button.Create(host_.hwnd(), {250, 20, 280, 40}));
  std::weak_ptr<const Picture> first;
  {
    const auto colourAt = [](int x, int y) { return RGB(x, y, 7); };
    SharedPicture normal = Picture::FromBitmap(test::MakeBitmap(100, 60, colourAt));
    SharedPicture pressed = Picture::FromBitmap(test::MakeBitmap(100, 60, [](int, int) { return RGB(1, 2, 3); }));
    button.SetImages(normal, nullptr, pressed, normal, {40, 30, 70, 50});
    first = normal;
  }
  EXPECT_FALSE(first.expired());
  InvalidateRect(button.hwnd(), nullptr, FALSE);
  EXPECT_TRUE(test::PumpUntil([&] { return WindowPixel(button.hwnd(), {0, 0}) == RGB(40, 30, 7); }));
  EXPECT_EQ(WindowPixel(button.hwnd(), {29, 19}), RGB(69, 49, 7));
  button.SetChecked(true);
  EXPECT_TRUE(test::PumpUntil([&] { return WindowPixel(button.hwnd(), {29, 19}) == RGB(1, 2, 3); }));

  // Set again with the owner's picture: the older pictures go, the new part shows.
  button.SetImages(host_.NormalPicture(), nullptr, host_.NormalPicture(), host_.NormalPicture(),
                   {58, 77, 88, 97});
  InvalidateRect(button.hwnd(), nullptr, FALSE);
  const COLORREF expected = PictureAt(host_.NormalPicture(), {58 + 5, 77 + 6});
  EXPECT_TRUE(test::PumpUntil([&] { return WindowPixel(button.hwnd(), {5, 6}) == expected; }));
  EXPECT_TRUE(first.expired());
  button.Destroy();
}

// A window that keeps only the area of its hover and pressed pictures where
// its buttons lie: the buttons still show the right part of each picture.
class AreaHost : public SkinnedDialog {
 public:
  AreaHost() : SkinnedDialog(161, {327, 170}) {}
  CGDIBitmapBtn ok, check;

 protected:
  bool OnInitDialog() override {
    LoadEmbeddedBitmaps(165, 163, 164);
    KeepButtonArea({150, 60, 300, 170});
    SetWindowPos(hwnd(), HWND_TOPMOST, 100, 100, 327, 170, SWP_SHOWWINDOW);
    CreateSkinButton(ok, {228, 139, 297, 169}, L"OK");
    CreateSkinButton(check, {205, 77, 264, 95});
    return true;
  }
};

TEST_F(BitmapButtonTest, ButtonsOfAWindowKeepingOnlyTheirAreaShowTheSameLooks) {
  AreaHost host;
  ASSERT_TRUE(host.CreateModeless(nullptr));
  const UniqueBitmap hover(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(163)));
  const UniqueBitmap pressed(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(164)));
  EXPECT_EQ(host.HoverPicture()->size().cx, 150);  // only the area is kept
  EXPECT_EQ(host.NormalPicture()->size().cx, 327);

  HWND check = host.check.hwnd();
  host.check.SetChecked(true);
  const COLORREF wanted = PictureAt(pressed.get(), {205 + 5, 77 + 9});
  EXPECT_TRUE(test::PumpUntil([&] { return WindowPixel(check, {5, 9}) == wanted; }));
  HWND ok = host.ok.hwnd();
  MovePointerTo(ok, {3, 3});
  EXPECT_TRUE(host.ok.hover());
  EXPECT_EQ(WindowPixel(ok, {3, 3}), PictureAt(hover.get(), {228 + 3, 139 + 3}));
  ASSERT_NE(PictureAt(hover.get(), {231, 142}), PictureAt(host.NormalPicture(), {231, 142}));
  MovePointerTo(host_.hwnd(), {20, 140});
  host.Destroy();
}

// A plain child window that neither drags its parent nor takes the mouse
// capture when pressed, so a press there can be carried onto a button.
class PressPad {
 public:
  explicit PressPad(HWND parent, RECT r) {
    static const ATOM atom = [] {
      WNDCLASSW c{};
      c.lpfnWndProc = DefWindowProcW;
      c.hInstance = GetModuleHandleW(nullptr);
      c.lpszClassName = L"Q730XTestPressPad";
      return RegisterClassW(&c);
    }();
    hwnd_ = CreateWindowExW(0, MAKEINTATOM(atom), L"", WS_CHILD | WS_VISIBLE, r.left, r.top,
                            r.right - r.left, r.bottom - r.top, parent, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  }
  ~PressPad() { DestroyWindow(hwnd_); }
  PressPad(const PressPad&) = delete;
  PressPad& operator=(const PressPad&) = delete;
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_;
};

TEST_F(BitmapButtonTest, DraggingOntoAButtonDoesNotHoverIt) {
  PressPad pad(host_.hwnd(), {5, 125, 45, 165});
  ASSERT_TRUE(pad.hwnd());
  MovePointerTo(pad.hwnd(), {15, 15});
  test::LeftButton(true);
  MovePointerTo(host_.first.hwnd(), kInFirst);
  EXPECT_FALSE(host_.first.hover());
  EXPECT_NE(GetCapture(), host_.first.hwnd());
  test::LeftButton(false);
  // Once the button is up, the next move over the button hovers it as usual.
  MovePointerTo(host_.first.hwnd(), {kInFirst.x + 2, kInFirst.y});
  EXPECT_TRUE(host_.first.hover());
}

TEST_F(BitmapButtonTest, MouseReportPostsPressThenRelease) {
  host_.first.SetMouseReport(true);
  MovePointerTo(host_.first.hwnd(), kInFirst);
  test::LeftButton(true);
  test::LeftButton(false);
  LPARAM self = reinterpret_cast<LPARAM>(host_.first.hwnd());
  ASSERT_EQ(host_.reports.size(), 2u);
  EXPECT_EQ(host_.reports[0], (std::pair<WPARAM, LPARAM>{0x201, self}));
  EXPECT_EQ(host_.reports[1], (std::pair<WPARAM, LPARAM>{0x202, self}));
  EXPECT_EQ(host_.commands.size(), 1u);  // the click still arrives as well
}

TEST_F(BitmapButtonTest, PointerMovesAreHandedToTheParent) {
  MovePointerTo(host_.first.hwnd(), kInFirst);
  host_.moves.clear();
  MovePointerTo(host_.first.hwnd(), {8, 9});
  ASSERT_FALSE(host_.moves.empty());
  // The button posts the move on in the host's coordinates.
  EXPECT_EQ(host_.moves.back().x, 58 + 8);
  EXPECT_EQ(host_.moves.back().y, 77 + 9);
}

TEST_F(BitmapButtonTest, TextDrawsOverThePictureAndEmptyTextShowsOnlyThePicture) {
  // The OK text lies in the middle of its button: some pixels differ from the picture.
  HWND ok = host_.ok.hwnd();
  int differing = 0;
  for (int x = 20; x < 50; ++x)
    for (int y = 8; y < 22; ++y)
      if (WindowPixel(ok, {x, y}) != PictureAt(host_.NormalPicture(), {228 + x, 139 + y})) ++differing;
  EXPECT_GT(differing, 5);
  HWND plain = host_.second.hwnd();
  for (int x = 0; x < 52; x += 5)
    EXPECT_EQ(WindowPixel(plain, {x, 9}), PictureAt(host_.NormalPicture(), {132 + x, 86}));
}

TEST_F(BitmapButtonTest, TooltipCarriesItsText) {
  host_.first.SetTooltip(L"Report rate 125");
  host_.first.SetTooltip(L"Report rate 125 per second");
  HWND tip = host_.first.tooltip().hwnd();
  ASSERT_TRUE(tip);
  wchar_t text[80] = L"";
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = host_.first.hwnd();
  info.uId = 1;
  info.lpszText = text;
  SendMessageW(tip, TTM_GETTEXTW, 80, LPARAM(&info));
  EXPECT_STREQ(text, L"Report rate 125 per second");
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);

  // The same text again after the control went: a new control carries it.
  DestroyWindow(tip);
  host_.first.SetTooltip(L"Report rate 125 per second");
  tip = host_.first.tooltip().hwnd();
  ASSERT_TRUE(tip);
  text[0] = L'\0';
  SendMessageW(tip, TTM_GETTEXTW, 80, LPARAM(&info));
  EXPECT_STREQ(text, L"Report rate 125 per second");
  EXPECT_EQ(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(BitmapButtonTest, UserValueAndButtonStyle) {
  EXPECT_FALSE(host_.first.userValue().has_value());
  host_.first.SetUserValue(0xC4250003u);
  EXPECT_EQ(host_.first.userValue(), 0xC4250003u);
  LONG_PTR style = GetWindowLongPtrW(host_.first.hwnd(), GWL_STYLE);
  EXPECT_EQ(style & 0x5000000B, 0x5000000B);
  // A skinned window's button is a tab stop (its owner takes it out where one stop serves many).
  EXPECT_EQ(style & WS_TABSTOP, WS_TABSTOP);
  EXPECT_EQ(GetDlgCtrlID(host_.first.hwnd()), 0);

  // Given a border by someone, the next images take it away; the tab stop
  // stays as the owner set it.
  SetWindowLongPtrW(host_.first.hwnd(), GWL_STYLE, style | WS_BORDER);
  host_.first.SetImages(host_.NormalPicture(), nullptr, nullptr, nullptr, {58, 77, 112, 95});
  style = GetWindowLongPtrW(host_.first.hwnd(), GWL_STYLE);
  EXPECT_EQ(style & (WS_BORDER | WS_TABSTOP), WS_TABSTOP);
  EXPECT_EQ(style & 0x5000000B, 0x5000000B);
}

}  // namespace
}  // namespace q730x
