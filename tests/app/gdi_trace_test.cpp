// No GDI object of the utility is deleted while it is still selected into a
// device context: Windows refuses such a delete and the object leaks, until
// at 10,000 the process can no longer paint. Wine frees the object later and
// says so in its gdi trace channel ("executing delayed DeleteObject"), and
// every allocation there carries the live handle count. The real utility runs
// under that channel (run-gdi-trace.sh puts its standard error, where Wine
// writes the trace, into gdi-trace.log) through three identical rounds of
// ordinary use. Any delayed delete fails, and so does a live count that grows
// over the rounds.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "gui_support.h"
#include "key_input.h"
#include "keyboard_page_fixture.h"

namespace q730x::test {
namespace {

constexpr char kTraceFile[] = "gdi-trace.log";
constexpr WORD kCommandAbout = 0x6002;
constexpr int kMacroCount = 40;
// The key setting dialog: its four tabs and its close button.
constexpr POINT kSettingTabs[4] = {{55, 50}, {159, 50}, {255, 50}, {358, 50}};
constexpr POINT kSettingClose{397, 12};
// The report rate dialog's and the about dialog's close buttons.
constexpr POINT kRateClose{311, 12}, kAboutClose{411, 12};
// Keys the pointer passes over on the keyboard page.
constexpr POINT kHoveredKeys[] = {{104, 185}, {200, 222}, {420, 185}};

// Marks in the trace where each step of a round begins: this test's standard
// error is the same file, so a delayed delete can be named by its step.
constexpr char kStepMark[] = "gdi trace test step: ";
void Step(const std::string& name) {
  std::fprintf(stderr, "%s%s\n", kStepMark, name.c_str());
  std::fflush(stderr);
}

// The step that was under way at offset.
std::string StepAt(const std::string& text, std::size_t offset) {
  const std::size_t at = text.rfind(kStepMark, offset);
  if (at == std::string::npos) return "start-up";
  const std::size_t begin = at + sizeof kStepMark - 1;
  return text.substr(begin, text.find('\n', begin) - begin);
}

std::string ReadTrace() {
  std::string text;
  if (FILE* file = std::fopen(kTraceFile, "rb")) {
    char chunk[65536];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof chunk, file)) > 0;) text.append(chunk, n);
    std::fclose(file);
  }
  return text;
}

// Where the lines of text[from, to) that contain what begin.
std::vector<std::size_t> LinesWith(const std::string& text, std::size_t from, std::size_t to, const char* what) {
  std::vector<std::size_t> lines;
  for (std::size_t at = text.find(what, from); at != std::string::npos && at < to; at = text.find(what, at + 1))
    lines.push_back(text.rfind('\n', at) + 1);
  return lines;
}

// The live handle count of the last allocation before offset, or -1.
int LiveCountBefore(const std::string& text, std::size_t offset) {
  const std::size_t at = text.rfind("/65536", offset);
  if (at == std::string::npos) return -1;
  std::size_t begin = at;
  while (begin > 0 && text[begin - 1] >= '0' && text[begin - 1] <= '9') --begin;
  return begin == at ? -1 : std::stoi(text.substr(begin, at - begin));
}

std::string Padded(const std::string& handle) {  // "0x40a0161" as "00000000040A0161"
  std::string digits = handle.substr(2);
  for (char& c : digits) c = char(std::toupper(static_cast<unsigned char>(c)));
  return std::string(16 - std::min<std::size_t>(16, digits.size()), '0') + digits;
}

// The one delete-while-selected that is Wine's and not ours: GDI+'s
// GdipDrawString (DrawSkinText) selects a font of its own into the caller's
// device context and deletes it before it restores the context. That font is
// recognised by its selection into a context on which GDI+ then sets the
// baseline alignment for its glyphs (SetTextAlign 24, TA_BASELINE | TA_LEFT),
// before the delete: the utility itself never sets a text alignment.
bool WineDrawStringFont(const std::string& trace, std::size_t delayedLine) {
  const std::size_t forAt = trace.find(" for 0x", delayedLine);
  if (forAt == std::string::npos) return false;
  const std::size_t begin = forAt + 5;
  const std::string handle = trace.substr(begin, trace.find_first_of(" \n", begin) - begin);
  const std::size_t allocated = trace.rfind("allocated NTGDI_OBJ_FONT " + handle + " ", delayedLine);
  const std::size_t deleted = trace.rfind("delayed for " + handle + " because", delayedLine);
  if (allocated == std::string::npos || deleted == std::string::npos || deleted < allocated) return false;
  const std::size_t selected = trace.find("," + Padded(handle) + ")", allocated);
  if (selected == std::string::npos || selected > deleted || selected < 16) return false;
  const std::string dc = trace.substr(selected - 16, 16);
  const std::size_t aligned = trace.find("SetTextAlign hdc=" + dc + " align=24", selected);
  return aligned != std::string::npos && aligned < deleted;
}

std::vector<HWND> VisibleScrollBars(HWND top) {
  std::vector<HWND> bars;
  EnumChildWindows(
      top,
      [](HWND window, LPARAM data) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (lstrcmpiW(name, L"ScrollBar") == 0 && IsWindowVisible(window))
          reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&bars));
  return bars;
}

// Every visible skinned scroll bar of the window: its arrows, its track and
// its thumb, each used as a user would, ending where it began.
void ScrollEveryBar(HWND top) {
  for (HWND bar : VisibleScrollBars(top)) {
    RECT r;
    GetClientRect(bar, &r);
    const bool vertical = r.bottom > r.right;
    const int length = vertical ? r.bottom : r.right, cell = vertical ? r.right : r.bottom;
    if (length < 3 * cell) continue;
    auto at = [&](int along) { return vertical ? POINT{cell / 2, along} : POINT{along, cell / 2}; };
    ClickAt(bar, at(length - cell / 2));  // the far arrow
    ClickAt(bar, at(cell / 2));           // back with the near arrow
    ClickAt(bar, at(length - cell - 2));  // the track: a page on
    ClickAt(bar, at(cell + 2));           // and back
    // The thumb, from the track's start, dragged half-way and back.
    MovePointerTo(bar, at(cell + 3));
    LeftButton(true);
    MovePointerTo(bar, at(length / 2));
    MovePointerTo(bar, at(cell + 3));
    LeftButton(false);
  }
}

bool Gone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

class GdiTraceTest : public KeyboardPageTest {
 protected:
  // Lists long enough to scroll, and the trace on for the utility alone.
  void BeforeStart() override {
    for (int n = 0; n < kMacroCount; ++n) StoreMacro(0x6D00 + n);
    SetEnvironmentVariableW(L"WINEDEBUG", L"trace+gdi");
  }

  void KeyboardPageRound() {
    Step("keyboard page, keys hovered");
    ClickAt(main_, kKeyboardButton);
    for (POINT key : kHoveredKeys) MovePointerTo(page_, key);
    // A key clicked: its setting dialog, every page of it, the macro list scrolled.
    Step("key setting dialog");
    ClickAt(page_, kCapsLock);
    HWND setting = WaitForWindow(L"KavexQ730XSetting", 5000);
    ASSERT_TRUE(setting);
    ASSERT_TRUE(QueueHandled(setting));
    for (int t = 0; t < 4; ++t) {
      Step("key setting dialog, page " + std::to_string(t + 1));
      ClickAt(setting, kSettingTabs[t]);  // returns once the page is shown
      ScrollEveryBar(setting);
    }
    Step("key setting dialog closed");
    ClickAt(setting, kSettingClose);
    ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, setting, 5000));
    // The report rate dialog, opened and closed unchanged.
    Step("report rate dialog");
    ClickAt(page_, kRate);
    HWND rate = nullptr;
    for (int i = 0; i < 100 && !rate; ++i, Sleep(50)) rate = OwnedDialog(main_);
    ASSERT_TRUE(rate);
    ASSERT_TRUE(QueueHandled(rate));
    ClickAt(rate, kRateClose);
    ASSERT_TRUE(WaitUntil(&Gone, rate, 5000));
    // A message box: Restore asks first; closed, it changes nothing.
    Step("message box");
    ClickAt(page_, kRestore);
    HWND box = WaitForWindow(L"Info Box", 5000);
    ASSERT_TRUE(box);
    CloseBox(box);
  }

  void MacroPageRound() {
    Step("macro page");
    ClickAt(main_, kMacroButton);
    HWND macros = FindWindowExW(main_, nullptr, nullptr, L"KavexQ730XMacroManager");
    ASSERT_TRUE(macros);
    ASSERT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, macros, 5000));
    ASSERT_TRUE(QueueHandled(main_));
    ScrollEveryBar(macros);
    ClickAt(main_, kKeyboardButton);
  }

  void AboutRound() {
    Step("about dialog");
    PostMessageW(main_, WM_COMMAND, kCommandAbout, 0);
    HWND about = WaitForWindow(L"About Box", 5000);
    ASSERT_TRUE(about);
    ASSERT_TRUE(WaitUntil([](HWND w) { return IsWindowVisible(w) != FALSE; }, about, 5000));
    ASSERT_TRUE(QueueHandled(about));
    ClickAt(about, kAboutClose);
    ASSERT_TRUE(WaitUntil(&Gone, about, 5000));
  }

  // One round; answers the trace's length once the utility has settled.
  std::size_t Round() {
    KeyboardPageRound();
    if (HasFatalFailure()) return 0;
    MacroPageRound();
    if (HasFatalFailure()) return 0;
    AboutRound();
    Step("settling");
    MovePointerTo(GetDesktopWindow(), POINT{1270, 1015});
    // The pointer's leave repaints what it hovered; Wine writes the trace as
    // it goes, so once the utility has handled its queue the trace holds it.
    QueueHandled(main_, 5);
    return ReadTrace().size();
  }
};

TEST_F(GdiTraceTest, RoundsOfOrdinaryUseDeleteNothingSelectedAndLeakNothing) {
  SetEnvironmentVariableW(L"WINEDEBUG", L"-all");  // the trace is the utility's alone
  Step("round 1");
  const std::size_t firstEnd = Round();
  ASSERT_FALSE(HasFatalFailure());
  Step("round 2");
  const std::size_t secondEnd = Round();
  ASSERT_FALSE(HasFatalFailure());
  Step("round 3");
  const std::size_t thirdEnd = Round();
  ASSERT_FALSE(HasFatalFailure());
  const std::string trace = ReadTrace();
  ASSERT_GT(LinesWith(trace, 0, secondEnd, "alloc_gdi_handle").size(), 100u)
      << "no gdi trace in " << kTraceFile << ": was the test started by run-gdi-trace.sh?";

  std::string delayed;
  int wineDrawString = 0;
  for (std::size_t line : LinesWith(trace, 0, trace.size(), "executing delayed DeleteObject")) {
    if (WineDrawStringFont(trace, line)) {
      ++wineDrawString;
      continue;
    }
    delayed += "\n  " + trace.substr(line, trace.find('\n', line) - line) + "  (in: " + StepAt(trace, line) + ")";
  }
  EXPECT_TRUE(delayed.empty()) << "objects deleted while selected:" << delayed;
  std::printf("left out: %d fonts of Wine's GdipDrawString\n", wineDrawString);

  // The count is the one at each round's last allocation, which may still
  // hold a few objects that the round frees just after (up to three more
  // than after the first round were seen, and fewer again a round later):
  // that moment is not growth. A leak grows every round: a count that rises
  // round after round, or by more than three, fails.
  const int afterFirst = LiveCountBefore(trace, firstEnd), afterSecond = LiveCountBefore(trace, secondEnd),
            afterThird = LiveCountBefore(trace, thirdEnd);
  std::printf("live GDI handles: %d after the first round, %d after the second, %d after the third\n",
              afterFirst, afterSecond, afterThird);
  EXPECT_GT(afterFirst, 0);
  EXPECT_FALSE(afterFirst < afterSecond && afterSecond < afterThird) << "every round left more GDI objects";
  EXPECT_LE(afterSecond, afterFirst + 3) << "the second round left more GDI objects than the first";
  EXPECT_LE(afterThird, afterFirst + 3) << "the third round left more GDI objects than the first";
}

}  // namespace
}  // namespace q730x::test
