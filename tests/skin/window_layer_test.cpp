// The window layer under its windows: off-screen painting that gives back
// every GDI object, teardown while the whole object lives, each dialog's own
// key policy under real keys, notifications reflected to the control that
// sent them, stacked subclasses, and close requests that wait for a modal
// loop running inside a handler.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <vector>

#include "gui_support.h"
#include "skin/bitmap_button.h"
#include "skin/dialog.h"
#include "skin/modal_scope.h"
#include "skin/skin_files.h"
#include "skin/skinned_dialog.h"

namespace q730x {
namespace {

using test::Pump;
using test::PumpUntil;

constexpr int kPopupTemplate = 161;  // a popup template without controls

// A key press and release queued at once, without pumping: a modal loop
// running the dialog must take them (test::PressKey pumps on its own).
void PressKey(WORD key) {
  INPUT input[2]{};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof(INPUT));
}

// Runs `dialog` modally and runs `steps` one after the other from timers
// 250 ms apart, once the dialog shows, while its own message loop goes on.
// Answers the dialog's result.
INT_PTR RunWith(Dialog& dialog, std::vector<std::function<void()>> steps) {
  static std::vector<std::function<void()>> pending;
  static size_t next;
  pending = std::move(steps);
  next = 0;
  SetTimer(nullptr, 0, 250, [](HWND, UINT, UINT_PTR timer, DWORD) {
    if (next >= pending.size()) return (void)KillTimer(nullptr, timer);
    auto step = pending[next++];
    step();
  });
  return dialog.RunModal(nullptr);
}

// ---- GDI objects -----------------------------------------------------------

class TextButtonHost : public SkinnedDialog {
 public:
  TextButtonHost() : SkinnedDialog(kPopupTemplate, {327, 170}) {}
  CGDIBitmapBtn button;

 protected:
  bool OnInitDialog() override {
    LoadEmbeddedBitmaps(165, 163, 164);
    SetWindowPos(hwnd(), HWND_TOPMOST, 80, 80, 327, 170, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    CreateSkinButton(button, {228, 139, 297, 169}, L"OK");
    return true;
  }
};

TEST(GdiObjects, AMemoryContextDeletesItsOwnSurfaceAfterItself) {
  WindowDc screen(nullptr);
  HBITMAP surface = nullptr;
  {
    MemoryDc canvas(screen.get());
    ASSERT_TRUE(canvas.CreateSurface(screen.get(), 40, 20));
    surface = HBITMAP(GetCurrentObject(canvas.get(), OBJ_BITMAP));
    EXPECT_EQ(GetObjectType(surface), DWORD(OBJ_BITMAP));
    // A second surface replaces the first, which goes once deselected.
    ASSERT_TRUE(canvas.CreateSurface(screen.get(), 10, 10));
    EXPECT_EQ(GetObjectType(surface), 0u);
    surface = HBITMAP(GetCurrentObject(canvas.get(), OBJ_BITMAP));
  }
  EXPECT_EQ(GetObjectType(surface), 0u);
}

// ---- Teardown --------------------------------------------------------------

// A page whose stop sequence needs its buttons: it runs on WM_DESTROY.
class PageWithStop : public SkinnedDialog {
 public:
  explicit PageWithStop(std::vector<std::string>& log) : SkinnedDialog(kPopupTemplate, {100, 100}), log_(log) {}
  CGDIBitmapBtn buttons[3];

 protected:
  bool OnInitDialog() override {
    for (int i = 0; i < 3; ++i) CreateSkinButton(buttons[i], {10 + 30 * i, 10, 35 + 30 * i, 30});
    return true;
  }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_DESTROY) {
      bool buttonsAlive = true;
      for (auto& b : buttons) buttonsAlive = buttonsAlive && b.hwnd() && IsWindow(b.hwnd());
      log_.push_back(buttonsAlive ? "stop with buttons" : "stop without buttons");
    }
    return SkinnedDialog::HandleMessage(message, wParam, lParam);
  }

 private:
  std::vector<std::string>& log_;
};

TEST(Teardown, AWindowPtrDestroysThePageBeforeItsMembers) {
  std::vector<std::string> log;
  auto page = MakeWindow<PageWithStop>(log);
  ASSERT_TRUE(page->CreateModeless(nullptr));
  HWND window = page->hwnd();
  page.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(log, std::vector<std::string>{"stop with buttons"});
}

TEST(Teardown, AModalDialogRunsItsStopWhileWhole) {
  std::vector<std::string> log;
  PageWithStop page(log);
  RunWith(page, {[&] { page.EndDialog(IDOK); }});
  EXPECT_EQ(log, std::vector<std::string>{"stop with buttons"});
}

TEST(Teardown, ATooltipGoneWithItsButtonIsNeverTouchedAgain) {
  TextButtonHost host;
  ASSERT_TRUE(host.CreateModeless(nullptr));
  auto first = std::make_unique<CGDIBitmapBtn>();
  CGDIBitmapBtn second;
  ASSERT_TRUE(first->Create(host.hwnd(), {10, 10, 40, 30}));
  ASSERT_TRUE(second.Create(host.hwnd(), {50, 10, 80, 30}));
  first->SetTooltip(L"first");
  second.SetTooltip(L"second");
  HWND firstTip = first->tooltip().hwnd(), secondTip = second.tooltip().hwnd();
  ASSERT_TRUE(firstTip && secondTip);
  first->Destroy();
  EXPECT_FALSE(IsWindow(firstTip)) << "a button's tooltip goes with the button";
  EXPECT_EQ(first->tooltip().hwnd(), nullptr);
  first.reset();
  EXPECT_TRUE(IsWindow(secondTip)) << "another button's tooltip stays";
  host.Destroy();  // the platform takes the rest along, the objects still live
  EXPECT_FALSE(IsWindow(secondTip));
  EXPECT_EQ(second.tooltip().hwnd(), nullptr) << "a handle that may be reused is forgotten";
}

// ---- Key policies ----------------------------------------------------------

// A dialog with one focusable push button; it notes what reaches it.
class KeyHost : public Dialog {
 public:
  explicit KeyHost(DialogKeys keys) : Dialog(kPopupTemplate, keys) {}
  int oks = 0, cancels = 0, clicks = 0;
  std::vector<WPARAM> keysSeen;
  HWND button = nullptr;

 protected:
  bool OnInitDialog() override {
    SetWindowPos(hwnd(), HWND_TOPMOST, 120, 120, 300, 150, SWP_SHOWWINDOW);
    button = CreateWindowExW(0, L"BUTTON", L"Focus", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10,
                             80, 24, hwnd(), HMENU(0), GetModuleHandleW(nullptr), nullptr);
    SetWindowSubclass(button, &NoteKeys, 1, reinterpret_cast<DWORD_PTR>(this));
    return true;
  }
  void OnOK() override {
    ++oks;
    Dialog::OnOK();
  }
  void OnCancel() override {
    ++cancels;
    Dialog::OnCancel();
  }
  bool OnCommand(HWND control, int code, int id) override {
    if (control == button && code == BN_CLICKED) return ++clicks, true;
    return Dialog::OnCommand(control, code, id);
  }

 private:
  static LRESULT CALLBACK NoteKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR self) {
    if (message == WM_KEYDOWN) reinterpret_cast<KeyHost*>(self)->keysSeen.push_back(wParam);
    return DefSubclassProc(window, message, wParam, lParam);
  }
};

// Presses `key` in a modal KeyHost (on the dialog itself, or on its
// focused push button), then closes it from outside; answers whether the
// key had ended the dialog by itself.
bool KeyEnds(KeyHost& host, WORD key, bool onButton = false) {
  bool closeSent = false;  // the last step runs only while the dialog still runs
  RunWith(host, {[&] {
                   SetForegroundWindow(host.hwnd());
                   SetFocus(onButton ? host.button : host.hwnd());
                   PressKey(key);
                 },
                 [&] {
                   closeSent = true;
                   PostMessageW(host.hwnd(), WM_CLOSE, 0, 0);
                 }});
  return !closeSent;
}

TEST(KeyPolicy, OrdinaryDialogsTakeEnterAsOkAndEscapeAsCancel) {
  KeyHost enter(DialogKeys::Ordinary);
  EXPECT_TRUE(KeyEnds(enter, VK_RETURN));
  EXPECT_EQ(enter.oks, 1);
  KeyHost escape(DialogKeys::Ordinary);
  EXPECT_TRUE(KeyEnds(escape, VK_ESCAPE, true));
  EXPECT_EQ(escape.cancels, 1);
  KeyHost space(DialogKeys::Ordinary);
  EXPECT_FALSE(KeyEnds(space, VK_SPACE, true));
  EXPECT_EQ(space.clicks, 1) << "Space presses the focused button";
}

TEST(KeyPolicy, NeverEndIgnoresEnterAndEscapeButClosesOnRequest) {
  for (WORD key : {WORD(VK_RETURN), WORD(VK_ESCAPE)}) {
    KeyHost host(DialogKeys::NeverEnd);
    EXPECT_FALSE(KeyEnds(host, key, key == VK_ESCAPE)) << "key " << key;
    EXPECT_EQ(host.oks + host.cancels, 0);
    EXPECT_FALSE(host.hwnd()) << "the close request still ends it";
  }
}

TEST(KeyPolicy, SwallowedKeysNeverReachTheWindowOrPressAButton) {
  KeyHost host(DialogKeys::Swallowed);
  bool stillOpen = false;
  RunWith(host, {[&] {
                   SetForegroundWindow(host.hwnd());
                   SetFocus(host.button);
                   for (WORD key : {WORD(VK_RETURN), WORD(VK_ESCAPE), WORD(VK_SPACE), WORD('A')})
                     PressKey(key);
                 },
                 [&] {
                   stillOpen = true;
                   PostMessageW(host.hwnd(), WM_CLOSE, 0, 0);
                 }});
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(host.oks + host.cancels, 1) << "only the close request ends it";
  EXPECT_EQ(host.clicks, 0) << "Space must not press the focused button";
  EXPECT_EQ(host.keysSeen, std::vector<WPARAM>{'A'});
}

// ---- Reflection and subclassing --------------------------------------------

// A control object that answers its own notifications.
class Probe : public Window {
 public:
  bool Make(HWND parent, const wchar_t* cls, DWORD style, int id) {
    HWND w = CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, 10, 40, 120, 60, parent,
                             HMENU(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
    return w && Attach(w);
  }
  std::vector<UINT> reflected;
  UniqueBrush brush{CreateSolidBrush(RGB(1, 2, 3))};
  int measuredHeight = 23;

 protected:
  bool OnMeasureItem(MEASUREITEMSTRUCT& item) override {
    item.itemHeight = measuredHeight;
    return true;
  }
  bool OnDrawItem(DRAWITEMSTRUCT&) override { return true; }
  bool OnReflected(UINT message, WPARAM, LPARAM, LRESULT& result) override {
    reflected.push_back(message);
    if (message != WM_COMMAND) result = LRESULT(brush.get());
    return true;
  }
};

class CommandHost : public Dialog {
 public:
  CommandHost() : Dialog(kPopupTemplate) {}
  std::vector<HWND> commands;

 protected:
  bool OnCommand(HWND control, int code, int id) override {
    if (control) commands.push_back(control);
    return Dialog::OnCommand(control, code, id);
  }
};

TEST(Reflection, AControlHearsItsOwnCommandsAndColourRequests) {
  CommandHost host;
  ASSERT_TRUE(host.CreateModeless(nullptr));
  Probe list;
  ASSERT_TRUE(list.Make(host.hwnd(), L"LISTBOX", LBS_NOTIFY | LBS_HASSTRINGS, 5));
  SendMessageW(host.hwnd(), WM_COMMAND, MAKEWPARAM(5, LBN_SELCHANGE), LPARAM(list.hwnd()));
  WindowDc dc(list.hwnd());
  LRESULT brush = SendMessageW(host.hwnd(), WM_CTLCOLORLISTBOX, WPARAM(dc.get()), LPARAM(list.hwnd()));
  EXPECT_EQ(list.reflected, (std::vector<UINT>{WM_COMMAND, WM_CTLCOLORLISTBOX}));
  EXPECT_EQ(brush, LRESULT(list.brush.get()));
  EXPECT_TRUE(host.commands.empty()) << "a handled notification does not reach the dialog";
}

TEST(Reflection, AMeasureRequestFindsTheMeasuringWindowAmongSameIdChildren) {
  CommandHost host;
  ASSERT_TRUE(host.CreateModeless(nullptr));
  // A frame carrying the list's id comes first, as a scroll frame does.
  HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, host.hwnd(), HMENU(9),
                               GetModuleHandleW(nullptr), nullptr);
  ASSERT_TRUE(frame);
  Probe list;
  ASSERT_TRUE(list.Make(host.hwnd(), L"LISTBOX", LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS, 9));
  SendMessageW(list.hwnd(), LB_ADDSTRING, 0, LPARAM(L"entry"));
  EXPECT_EQ(SendMessageW(list.hwnd(), LB_GETITEMHEIGHT, 0, 0), 23);
  EXPECT_EQ(GetDlgItem(host.hwnd(), 9), frame) << "the id alone would name the frame";
}

TEST(Reflection, AControlMovedIntoAFrameStillHearsItsNotifications) {
  CommandHost host;
  ASSERT_TRUE(host.CreateModeless(nullptr));
  Probe list;
  ASSERT_TRUE(list.Make(host.hwnd(), L"LISTBOX", LBS_NOTIFY | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS, 4));
  // A frame of the list's id takes the list in, as the skinned scroll frame does;
  // the list goes on notifying the dialog it was created in.
  HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 200, 100, host.hwnd(),
                               HMENU(4), GetModuleHandleW(nullptr), nullptr);
  SetParent(list.hwnd(), frame);
  list.measuredHeight = 31;
  SendMessageW(list.hwnd(), LB_ADDSTRING, 0, LPARAM(L"entry"));
  EXPECT_EQ(SendMessageW(list.hwnd(), LB_GETITEMHEIGHT, 0, 0), 31);
  SendMessageW(host.hwnd(), WM_COMMAND, MAKEWPARAM(4, LBN_SELCHANGE), LPARAM(list.hwnd()));
  EXPECT_EQ(list.reflected, std::vector<UINT>{WM_COMMAND});
  EXPECT_TRUE(host.commands.empty());
}

TEST(Reflection, RawProceduresBetweenAControlAndItsDialogCanReflectToo) {
  CommandHost host;
  ASSERT_TRUE(host.CreateModeless(nullptr));
  Probe list;
  ASSERT_TRUE(list.Make(host.hwnd(), L"LISTBOX", LBS_NOTIFY, 3));
  LRESULT result = 0;
  EXPECT_TRUE(Window::ReflectToChild(host.hwnd(), WM_COMMAND, MAKEWPARAM(3, LBN_DBLCLK),
                                     LPARAM(list.hwnd()), result));
  EXPECT_FALSE(Window::ReflectToChild(host.hwnd(), WM_COMMAND, MAKEWPARAM(3, 0), 0, result))
      << "a menu or accelerator command names no control";
}

int rawCalls = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR) {
  if (message == WM_USER + 7) ++rawCalls;
  return DefSubclassProc(window, message, wParam, lParam);
}

class UserMessageCounter : public Window {
 public:
  bool Make(HWND parent) {
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, parent, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    return w && Attach(w);
  }
  int calls = 0;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_USER + 7) ++calls;
    return Window::HandleMessage(message, wParam, lParam);
  }
};

TEST(Subclassing, OtherProceduresStackOnOursAndComeOffInAnyOrder) {
  CommandHost host;
  ASSERT_TRUE(host.CreateModeless(nullptr));
  UserMessageCounter counter;
  ASSERT_TRUE(counter.Make(host.hwnd()));
  rawCalls = 0;
  ASSERT_TRUE(SetWindowSubclass(counter.hwnd(), &CountingProc, 77, 0));
  SendMessageW(counter.hwnd(), WM_USER + 7, 0, 0);
  EXPECT_EQ(rawCalls, 1);
  EXPECT_EQ(counter.calls, 1);
  // The procedure stacked last comes off first without taking ours along.
  ASSERT_TRUE(RemoveWindowSubclass(counter.hwnd(), &CountingProc, 77));
  SendMessageW(counter.hwnd(), WM_USER + 7, 0, 0);
  EXPECT_EQ(rawCalls, 1);
  EXPECT_EQ(counter.calls, 2);
  // And one stacked on top may stay to the end: destroying the window takes both off.
  ASSERT_TRUE(SetWindowSubclass(counter.hwnd(), &CountingProc, 77, 0));
  HWND window = counter.hwnd();
  counter.Destroy();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Window::FromHandle(window), nullptr);
}

// ---- Modal loops inside handlers -------------------------------------------

TEST(ModalLoops, ADeferredMessageArrivesOnceTheOutermostLoopHasEnded) {
  CommandHost host;
  ASSERT_TRUE(host.CreateModeless(nullptr));
  MSG message;
  auto pending = [&] { return PeekMessageW(&message, host.hwnd(), WM_USER + 9, WM_USER + 9, PM_REMOVE) != 0; };
  {
    ModalScope outer;
    {
      ModalScope inner;
      EXPECT_TRUE(ModalScope::Active());
      ModalScope::DeferUntilIdle(host.hwnd(), WM_USER + 9);
    }
    EXPECT_FALSE(pending()) << "still inside the outer loop";
  }
  EXPECT_FALSE(ModalScope::Active());
  EXPECT_TRUE(pending());
  EXPECT_FALSE(pending()) << "posted once";
  ModalScope::DeferUntilIdle(host.hwnd(), WM_USER + 9);
  EXPECT_TRUE(pending()) << "with no loop running it goes at once";
}

TEST(ModalLoops, AModalDialogCountsAsALoopInsideAHandler) {
  KeyHost inner(DialogKeys::Ordinary);
  bool activeInside = false;
  RunWith(inner, {[&] {
            activeInside = ModalScope::Active();
            inner.EndDialog(IDCANCEL);
          }});
  EXPECT_TRUE(activeInside);
  EXPECT_FALSE(ModalScope::Active());
}

}  // namespace
}  // namespace q730x
