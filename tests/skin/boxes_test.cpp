// The message, notice and progress boxes as a user meets them.
#include <gtest/gtest.h>

#include "gui_support.h"
#include "markup/language_table.h"
#include "pages/message_box.h"
#include "pages/notice_box.h"
#include "pages/progress_box.h"
#include "skin/skin_files.h"

#include <objidl.h>
#include <gdiplus.h>

namespace q730x {
namespace {

using test::Pump;
using test::WindowPixel;

// What a timer saw of the open message box, and what it did to it.
struct BoxVisit {
  enum class Action { PressOk, PressClose, SendClose } action = Action::PressOk;
  bool seen = false, flagWhileOpen = false;
  RECT rect{};
  std::wstring okText;
};
BoxVisit visit;

void CALLBACK VisitMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowW(nullptr, L"Info Box");
  if (!box) return;  // not open yet: the timer fires again
  KillTimer(nullptr, timer);
  visit.seen = true;
  visit.flagWhileOpen = MessageBoxOpen;
  GetWindowRect(box, &visit.rect);
  POINT okPoint{270, 140}, closePoint{315, 12};
  if (visit.action == BoxVisit::Action::SendClose) {
    PostMessageW(box, WM_CLOSE, 0, 0);
    return;
  }
  if (auto* ok = dynamic_cast<CGDIBitmapBtn*>(Window::FromHandle(ChildWindowFromPoint(box, okPoint))))
    visit.okText = ok->text();
  HWND button = ChildWindowFromPoint(
      box, visit.action == BoxVisit::Action::PressOk ? okPoint : closePoint);
  if (button && button != box) SendMessageW(button, BM_CLICK, 0, 0);
}

INT_PTR ShowAndVisit(BoxVisit::Action action) {
  visit = BoxVisit{};
  visit.action = action;
  SetTimer(nullptr, 0, 150, &VisitMessageBox);
  return ShowMessageBox(L"A message for the test");
}

class BoxesTest : public testing::Test {
 protected:
  void SetUp() override { Language.str_OK = L"OK"; }
  void TearDown() override { Language = LanguageTable{}; }
  std::wstring MessageSkin() { return ProgramFolder() + L"skins\\messagebox\\Message_Normal.bmp"; }

  GdiplusSession gdiplus_;
};

TEST_F(BoxesTest, MessageBoxAnswersOkOrCancelAndFlagsItselfOpen) {
  Language.str_OK = L"Okay";  // the caption comes from the language table
  EXPECT_EQ(ShowAndVisit(BoxVisit::Action::PressOk), IDOK);
  EXPECT_TRUE(visit.seen);
  EXPECT_EQ(visit.okText, L"Okay");
  EXPECT_TRUE(visit.flagWhileOpen);
  EXPECT_FALSE(MessageBoxOpen);
  EXPECT_EQ(ShowAndVisit(BoxVisit::Action::PressClose), IDCANCEL);
  EXPECT_EQ(ShowAndVisit(BoxVisit::Action::SendClose), IDCANCEL);
  EXPECT_FALSE(MessageBoxOpen);
}

// A box opened from inside another: the flag stays set until the outer one closes.
bool flagAfterInnerBox = false;
void CALLBACK OpenInnerBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  visit = BoxVisit{};
  SetTimer(nullptr, 0, 150, &VisitMessageBox);  // presses OK of the inner box
  ShowMessageBox(L"Inner");
  flagAfterInnerBox = MessageBoxOpen;
  PostMessageW(FindWindowW(nullptr, L"Info Box"), WM_CLOSE, 0, 0);
}

// The message box keeps the platform's dialog keys: Enter is OK, Escape cancels.
WORD messageBoxKey = 0;
void CALLBACK PressKeyInMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowW(nullptr, L"Info Box");
  if (!box) return;
  KillTimer(nullptr, timer);
  SetForegroundWindow(box);
  SetFocus(box);
  INPUT input[2]{};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = messageBoxKey;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
}

TEST_F(BoxesTest, MessageBoxTakesEnterAsOkAndEscapeAsCancel) {
  messageBoxKey = VK_RETURN;
  SetTimer(nullptr, 0, 150, &PressKeyInMessageBox);
  EXPECT_EQ(ShowMessageBox(L"Enter"), IDOK);
  messageBoxKey = VK_ESCAPE;
  SetTimer(nullptr, 0, 150, &PressKeyInMessageBox);
  EXPECT_EQ(ShowMessageBox(L"Escape"), IDCANCEL);
  EXPECT_FALSE(MessageBoxOpen);
}

TEST_F(BoxesTest, ANestedBoxLeavesTheOuterBoxCountedAsOpen) {
  flagAfterInnerBox = false;
  SetTimer(nullptr, 0, 300, &OpenInnerBox);
  EXPECT_EQ(ShowMessageBox(L"Outer"), IDCANCEL);
  EXPECT_TRUE(flagAfterInnerBox);
  EXPECT_FALSE(MessageBoxOpen);
}

TEST_F(BoxesTest, MessageBoxIsCentredAtTheSizeOfItsPicture) {
  ShowAndVisit(BoxVisit::Action::PressOk);
  EXPECT_EQ(visit.rect.right - visit.rect.left, 330);
  EXPECT_EQ(visit.rect.bottom - visit.rect.top, 172);
  EXPECT_EQ(visit.rect.left, (GetSystemMetrics(SM_CXFULLSCREEN) - 330) / 2);
  EXPECT_EQ(visit.rect.top, (GetSystemMetrics(SM_CYFULLSCREEN) - 172) / 2);
}

TEST_F(BoxesTest, LargerPictureGivesALargerRecentredBox) {
  std::wstring file = MessageSkin();
  test::FileSetAside original(file);
  ASSERT_TRUE(test::WriteBmpFile(file, 500, 300, [](int, int) { return RGB(20, 22, 26); }));
  ShowAndVisit(BoxVisit::Action::PressOk);
  DeleteFileW(file.c_str());
  EXPECT_EQ(visit.rect.right - visit.rect.left, 500);
  EXPECT_EQ(visit.rect.bottom - visit.rect.top, 300);
  EXPECT_EQ(visit.rect.left, (GetSystemMetrics(SM_CXFULLSCREEN) - 500) / 2);
  EXPECT_EQ(visit.rect.top, (GetSystemMetrics(SM_CYFULLSCREEN) - 300) / 2);
}

TEST_F(BoxesTest, MissingPictureStillOpensAPlainBoxThatWorks) {
  test::FileSetAside original(MessageSkin());
  Language.str_OK = L"Okay";  // the caption comes from the language table
  EXPECT_EQ(ShowAndVisit(BoxVisit::Action::PressOk), IDOK);
  EXPECT_TRUE(visit.seen);
  EXPECT_EQ(visit.okText, L"Okay");
  EXPECT_EQ(visit.rect.right - visit.rect.left, 330);
  EXPECT_EQ(visit.rect.bottom - visit.rect.top, 172);
}

TEST_F(BoxesTest, NoticeBoxIsTitledAndCentredOnItsParentOnTop) {
  CMsgNotice parent;  // any window will do as the parent
  ASSERT_TRUE(parent.CreateModeless(nullptr));
  SetWindowPos(parent.hwnd(), nullptr, 100, 100, 600, 400, SWP_NOZORDER | SWP_SHOWWINDOW);
  CMsgNotice notice;
  notice.SetText(L"Please wait");
  ASSERT_TRUE(notice.CreateModeless(parent.hwnd()));
  Pump(100);
  wchar_t title[32];
  GetWindowTextW(notice.hwnd(), title, 32);
  EXPECT_STREQ(title, L"Notice Box");
  RECT r;
  GetWindowRect(notice.hwnd(), &r);
  EXPECT_EQ(r.left, 100 + (600 - 400) / 2);
  EXPECT_EQ(r.top, 100 + (400 - 172) / 2);
  EXPECT_TRUE(IsWindowVisible(notice.hwnd()));
  EXPECT_TRUE(GetWindowLongPtrW(notice.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

class ProgressBoxTest : public BoxesTest {
 protected:
  void SetUp() override {
    BoxesTest::SetUp();
    RECT text{35, 20, 280, 50};
    box_.SetProgressText(L"Writing", &text);
    box_.SetBarExtent({59, 67, 298, 76});
    box_.SetRange(0, 100);
    ASSERT_TRUE(box_.CreateModeless(nullptr));
    ShowWindow(box_.hwnd(), SW_SHOW);
    SetWindowPos(box_.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    full_.reset(Gdiplus::Bitmap::FromFile((ProgramFolder() + L"skins\\progress_over.png").c_str()));
    empty_.reset(Gdiplus::Bitmap::FromFile((ProgramFolder() + L"skins\\progress_normal.png").c_str()));
    ASSERT_TRUE(full_ && empty_);
  }
  void Post(int position) {
    PostMessageW(box_.hwnd(), kProgressMessage, WPARAM(INT_PTR(position)), 0);
    Pump(150);
  }
  static COLORREF ImagePixel(Gdiplus::Bitmap& image, int x, int y) {
    Gdiplus::Color c;
    image.GetPixel(x, y, &c);
    return RGB(c.GetR(), c.GetG(), c.GetB());
  }
  // True when the bar row shows the full look just left of x and the empty look at x.
  ::testing::AssertionResult FilledTo(int x) {
    const int row = 71;
    COLORREF left = WindowPixel(box_.hwnd(), {x - 1, row});
    COLORREF at = WindowPixel(box_.hwnd(), {x, row});
    if (x > 59 && left != ImagePixel(*full_, x - 1, row))
      return ::testing::AssertionFailure() << "not filled at " << x - 1;
    if (x < 298 && at != ImagePixel(*empty_, x, row))
      return ::testing::AssertionFailure() << "filled beyond " << x;
    return ::testing::AssertionSuccess();
  }

  // How many pixels of an area differ from the empty picture: text drawn there.
  int TextPixels(HWND box, RECT area) {
    int differing = 0;
    for (int x = area.left; x < area.right; ++x)
      for (int y = area.top; y < area.bottom; ++y)
        if (WindowPixel(box, {x, y}) != ImagePixel(*empty_, x, y)) ++differing;
    return differing;
  }

  CProgressDlg box_;
  std::unique_ptr<Gdiplus::Bitmap> full_, empty_;
};

TEST_F(ProgressBoxTest, BarFillsToItsPositionAndEmptiesOutsideTheRange) {
  ASSERT_NE(ImagePixel(*full_, 100, 71), ImagePixel(*empty_, 100, 71));
  Post(0);
  EXPECT_EQ(box_.FillEnd(), 59);
  EXPECT_TRUE(FilledTo(59));
  Post(50);
  EXPECT_EQ(box_.FillEnd(), 178);
  EXPECT_TRUE(FilledTo(178));
  Post(100);
  EXPECT_EQ(box_.FillEnd(), 298);
  EXPECT_TRUE(FilledTo(298));
  Post(150);
  EXPECT_EQ(box_.position(), 0);
  EXPECT_TRUE(FilledTo(59));
  Post(100);
  Post(-1);
  EXPECT_EQ(box_.position(), 0);
  EXPECT_TRUE(FilledTo(59));
  box_.SetProgressPosition(50);
  EXPECT_TRUE(FilledTo(178));
}

TEST_F(ProgressBoxTest, AnswersItsMessageAndCarriesItsTitle) {
  EXPECT_EQ(SendMessageW(box_.hwnd(), kProgressMessage, 10, 0), 1);
  wchar_t title[32];
  GetWindowTextW(box_.hwnd(), title, 32);
  EXPECT_STREQ(title, L"ProgressDlg.");
  RECT r;
  GetWindowRect(box_.hwnd(), &r);
  EXPECT_EQ(r.right - r.left, int(empty_->GetWidth()));
}

// A worker posts progress and finally WM_CLOSE, which ends a modal box.
void CALLBACK FinishDownload(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND box = FindWindowW(nullptr, L"ProgressDlg.");
  PostMessageW(box, kProgressMessage, 99, 0);
  PostMessageW(box, kProgressMessage, 100, 0);
  PostMessageW(box, WM_CLOSE, 0, 0);
}

TEST_F(ProgressBoxTest, TextGoesToItsRectangleOrElseToItsDefaultPlace) {
  const RECT setPlace{35, 20, 100, 36}, defaultPlace{45, 40, 110, 56};
  Post(0);
  EXPECT_GT(TextPixels(box_.hwnd(), setPlace), 5);
  EXPECT_EQ(TextPixels(box_.hwnd(), defaultPlace), 0);

  CProgressDlg plain;
  plain.SetProgressText(L"Writing");  // no rectangle
  plain.SetBarExtent({59, 67, 298, 76});
  plain.SetRange(0, 100);
  ASSERT_TRUE(plain.CreateModeless(nullptr));
  ShowWindow(box_.hwnd(), SW_HIDE);
  SetWindowPos(plain.hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  Pump(150);
  EXPECT_GT(TextPixels(plain.hwnd(), defaultPlace), 5);
  EXPECT_EQ(TextPixels(plain.hwnd(), setPlace), 0);
}

TEST_F(BoxesTest, CloseEndsAModalProgressBox) {
  CProgressDlg box;
  box.SetRange(0, 100);
  box.SetBarExtent({59, 67, 298, 76});
  box.SetProgressText(L"Writing");  // no rectangle: the text goes to its default place
  SetTimer(nullptr, 0, 200, &FinishDownload);
  EXPECT_EQ(box.RunModal(nullptr), IDCANCEL);
  EXPECT_EQ(box.position(), 100);
  EXPECT_FALSE(box.hwnd());
}

// The user presses Escape and Enter at a running download's progress box;
// a little later the download ends and closes it.
bool progressBoxOpenAfterKeys = false;
void CALLBACK PressEscapeAndEnter(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND box = FindWindowW(nullptr, L"ProgressDlg.");
  SetForegroundWindow(box);
  SetFocus(box);
  for (WORD key : {WORD(VK_ESCAPE), WORD(VK_RETURN)}) {
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
  }
  SetTimer(nullptr, 0, 500, [](HWND, UINT, UINT_PTR later, DWORD) {
    KillTimer(nullptr, later);
    HWND open = FindWindowW(nullptr, L"ProgressDlg.");
    progressBoxOpenAfterKeys = open && IsWindowVisible(open);
    if (open) PostMessageW(open, WM_CLOSE, 0, 0);
  });
}

TEST_F(BoxesTest, EscapeAndEnterLeaveAModalProgressBoxRunning) {
  CProgressDlg box;
  box.SetRange(0, 100);
  box.SetBarExtent({59, 67, 298, 76});
  progressBoxOpenAfterKeys = false;
  SetTimer(nullptr, 0, 200, &PressEscapeAndEnter);
  EXPECT_EQ(box.RunModal(nullptr), IDCANCEL);
  EXPECT_TRUE(progressBoxOpenAfterKeys) << "only the download's WM_CLOSE ends the box";
}

}  // namespace
}  // namespace q730x
