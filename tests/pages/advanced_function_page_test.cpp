// The advanced function page: rows chosen through the platform's real
// open-file dialog (driven with real keys, as a user types a path), through
// a stand-in picker for the rest, and the choice each leaves.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "gui_support.h"
#include "key_input.h"
#include "markup/language_table.h"
#include "pages/advanced_function_page.h"
#include "skin/modal_scope.h"
#include "skin/skin_files.h"

namespace q730x {
namespace {

namespace fs = std::filesystem;
using test::ClickAt;
using test::Pump;

// Client points of each row's option, path field and open button.
constexpr POINT kOption[4] = {{29, 45}, {29, 71}, {29, 96}, {29, 122}};
constexpr POINT kPath[4] = {{180, 44}, {180, 71}, {180, 97}, {180, 124}};
constexpr POINT kOpen[4] = {{311, 44}, {311, 70}, {311, 97}, {311, 124}};

// ---- Driving the platform's open-file dialog -------------------------------

struct FileDialogVisit {
  std::optional<std::wstring> type;  // the path typed into the name field; none: Escape
  bool seen = false;
  DWORD since = 0;
  std::wstring title;
};
FileDialogVisit visit;

HWND OpenFileDialog() {
  HWND found = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM out) {
        wchar_t cls[16] = {};
        GetClassNameW(w, cls, 16);
        if (IsWindowVisible(w) && lstrcmpW(cls, L"#32770") == 0 && !Window::FromHandle(w)) {
          *reinterpret_cast<HWND*>(out) = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Runs inside the open-file dialog's own loop: types the path into the name
// field and presses Enter, or presses Escape. Gives up after five seconds.
void CALLBACK DriveFileDialog(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = OpenFileDialog();
  if (!dialog) return;
  if (visit.seen) {
    if (GetTickCount() - visit.since > 5000) {
      KillTimer(nullptr, timer);
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    }
    return;
  }
  visit.seen = true;
  visit.since = GetTickCount();
  wchar_t title[64] = {};
  GetWindowTextW(dialog, title, 64);
  visit.title = title;
  SetForegroundWindow(dialog);
  if (visit.type) {
    HWND name = GetDlgItem(dialog, cmb13);
    if (!name) name = GetDlgItem(dialog, edt1);
    SetFocus(name);
    SendMessageW(GetFocus(), EM_SETSEL, 0, -1);
    test::InjectText(*visit.type);
    test::InjectKeyTap(VK_RETURN);
  } else {
    test::InjectKeyTap(VK_ESCAPE);
  }
}

// ---- A stand-in picker ------------------------------------------------------

class ScriptedPicker : public PathPicker {
 public:
  std::optional<std::wstring> answer;
  std::vector<FilePickerRequest> fileRequests;
  int folderRequests = 0;
  bool modalScopeWasOpen = false;

  std::optional<std::wstring> PickFile(const FilePickerRequest& request) override {
    fileRequests.push_back(request);
    modalScopeWasOpen = ModalScope::Active();
    return answer;
  }
  std::optional<std::wstring> PickFolder() override {
    ++folderRequests;
    modalScopeWasOpen = ModalScope::Active();
    return answer;
  }
};

class AdvancedPageTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = fs::path(temp) / L"q730x advanced page";
    fs::create_directories(folder_);
    for (const wchar_t* name : {L"my chord.wav", L"notes.txt"}) std::ofstream(folder_ / name) << "x";
  }
  static void TearDownTestSuite() { fs::remove_all(folder_); }

  void SetUp() override {
    Language.str_advanced_open = L"Browse...";
    Language.str_msg7 = L"No file chosen";
    host_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 60, 60, 400, 200, nullptr,
                            nullptr, nullptr, nullptr);
    page_ = MakeWindow<CDlgAdvance>(37);
    ASSERT_TRUE(page_->CreateModeless(host_));
    ShowWindow(page_->hwnd(), SW_SHOW);
    SetForegroundWindow(host_);
    Pump(100);
  }
  void TearDown() override {
    page_.reset();
    DestroyWindow(host_);
    Language = LanguageTable{};
  }

  // Clicks (or double-clicks) a point, with the open-file dialog that it opens
  // answered by `type`.
  void ThroughFileDialog(POINT at, std::optional<std::wstring> type, bool doubleClick = false) {
    visit = FileDialogVisit{};
    visit.type = std::move(type);
    const UINT_PTR timer = SetTimer(nullptr, 0, 150, &DriveFileDialog);
    if (doubleClick) {
      test::MovePointerTo(page_->hwnd(), at);
      for (int i = 0; i < 2; ++i) {
        INPUT press[2] = {};
        press[0].type = press[1].type = INPUT_MOUSE;
        press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, press, sizeof(INPUT));
      }
      Pump(300);
    } else {
      ClickAt(page_->hwnd(), at);
    }
    KillTimer(nullptr, timer);
  }
  KeyAssignment Choice() {
    KeyAssignment record{};
    page_->ReadChoice(record);
    return record;
  }
  static std::wstring Aux(const KeyAssignment& record) {
    return std::wstring(reinterpret_cast<const wchar_t*>(record.aux));
  }

  static inline fs::path folder_;
  GdiplusSession gdiplus_;
  HWND host_ = nullptr;
  WindowPtr<CDlgAdvance> page_;
  ScriptedPicker picker_;
};

TEST_F(AdvancedPageTest, StartsWithNothingCheckedAndAssignsNothing) {
  wchar_t text[64] = {};
  GetWindowTextW(page_->hwnd(), text, 64);
  EXPECT_STREQ(text, L"KavexQ730XKbAdvanceDlg");
  for (int r = 0; r < 4; ++r) {
    EXPECT_FALSE(page_->option(r).checked());
    EXPECT_EQ(page_->pathField(r).text(), L"");
    EXPECT_EQ(page_->openButton(r).text(), L"Browse...");
  }
  EXPECT_EQ(Choice().code.Value(), 0u);
}

TEST_F(AdvancedPageTest, ASoundChosenInTheRealDialogWithASpaceInItsPath) {
  const std::wstring sound = (folder_ / L"my chord.wav").wstring();
  ThroughFileDialog(kOpen[0], sound);
  EXPECT_TRUE(visit.seen);
  EXPECT_TRUE(page_->option(0).checked());
  EXPECT_EQ(page_->pathField(0).text(), sound);
  EXPECT_EQ(page_->pathField(0).tooltip().text(), sound);
  const KeyAssignment record = Choice();
  EXPECT_EQ(record.code.Value(), 0xC4250003u);
  EXPECT_EQ(Aux(record), sound);
}

TEST_F(AdvancedPageTest, ADoubleClickOnThePathFieldOpensTheRealDialogToo) {
  const std::wstring file = (folder_ / L"notes.txt").wstring();
  ThroughFileDialog(kPath[2], file, true);
  EXPECT_TRUE(visit.seen);
  EXPECT_EQ(page_->pathField(2).text(), file);
  EXPECT_EQ(Choice().code.Value(), 0xC5250003u);
}

TEST_F(AdvancedPageTest, CancellingTheRealDialogKeepsTheFieldAndTheCheck) {
  ThroughFileDialog(kOpen[1], std::nullopt);
  EXPECT_TRUE(visit.seen);
  EXPECT_TRUE(page_->option(1).checked());
  EXPECT_EQ(page_->pathField(1).text(), L"");
  EXPECT_EQ(Choice().code.Value(), 0u);  // checked, but no path
}

TEST_F(AdvancedPageTest, ASingleClickOnAPathFieldDoesNothing) {
  page_->SetPathPicker(&picker_);
  ClickAt(page_->hwnd(), kPath[1]);
  EXPECT_TRUE(picker_.fileRequests.empty());
  EXPECT_FALSE(page_->option(1).checked());
}

TEST_F(AdvancedPageTest, EachRowAsksForItsOwnKindOfFile) {
  page_->SetPathPicker(&picker_);
  for (int r = 0; r < 3; ++r) ClickAt(page_->hwnd(), kOpen[r]);
  ASSERT_EQ(picker_.fileRequests.size(), 3u);
  const FilePickerRequest& sound = picker_.fileRequests[0];
  EXPECT_STREQ(sound.defaultExtension, L".wav*");
  EXPECT_STREQ(sound.initialName, L"*.wav*");
  EXPECT_STREQ(sound.filter, L"(*.wav*)|*.wav*||");
  EXPECT_STREQ(sound.initialFolder, L"c:\\Windows\\Media");
  EXPECT_STREQ(picker_.fileRequests[1].filter, L"(*.exe)|*.exe||");
  EXPECT_STREQ(picker_.fileRequests[1].initialFolder, L"c:\\Program Files");
  EXPECT_STREQ(picker_.fileRequests[2].filter, L"(*.*)|*.*||");
  EXPECT_STREQ(picker_.fileRequests[2].initialFolder, L"D:\\");
  EXPECT_EQ(picker_.folderRequests, 0);
}

TEST_F(AdvancedPageTest, AFolderRowGivesTheFolderAction) {
  page_->SetPathPicker(&picker_);
  picker_.answer = L"C:\\games\\saved games";
  ClickAt(page_->hwnd(), kOpen[3]);
  EXPECT_EQ(picker_.folderRequests, 1);
  EXPECT_TRUE(picker_.modalScopeWasOpen);  // close requests wait for the picker
  const KeyAssignment record = Choice();
  EXPECT_EQ(record.code.Value(), 0xC6250003u);
  EXPECT_EQ(Aux(record), L"C:\\games\\saved games");
}

TEST_F(AdvancedPageTest, AFolderWithoutAPathKeepsTheOldText) {
  page_->SetPathPicker(&picker_);
  picker_.answer = L"C:\\games";
  ClickAt(page_->hwnd(), kOpen[3]);
  picker_.answer.reset();
  ClickAt(page_->hwnd(), kOpen[3]);
  EXPECT_EQ(page_->pathField(3).text(), L"C:\\games");
}

TEST_F(AdvancedPageTest, OnlyTheCheckedRowCounts) {
  page_->SetPathPicker(&picker_);
  picker_.answer = L"C:\\tools\\run.exe";
  ClickAt(page_->hwnd(), kOpen[1]);
  EXPECT_EQ(Choice().code.Value(), 0xC7250003u);
  ClickAt(page_->hwnd(), kOption[0]);  // empty sound row
  EXPECT_TRUE(page_->option(0).checked());
  EXPECT_FALSE(page_->option(1).checked());
  EXPECT_EQ(Choice().code.Value(), 0u);
}

TEST_F(AdvancedPageTest, APathOfMoreThan259UnitsIsCut) {
  page_->SetPathPicker(&picker_);
  const std::wstring longPath = L"C:\\" + std::wstring(300, L'a') + L".wav";
  picker_.answer = longPath;
  ClickAt(page_->hwnd(), kOpen[0]);
  const KeyAssignment record = Choice();
  EXPECT_EQ(record.code.Value(), 0xC4250003u);
  EXPECT_EQ(Aux(record), longPath.substr(0, 259));
  EXPECT_EQ(record.aux[259], u'\0');
}

TEST(PickerForms, FiltersAndDefaultExtensions) {
  EXPECT_EQ(PlatformFilter(L"(*.wav*)|*.wav*||"), std::wstring(L"(*.wav*)\0*.wav*\0\0", 17));
  EXPECT_EQ(DefaultExtension(L".wav*"), L"wav");
  EXPECT_EQ(DefaultExtension(L".exe"), L"exe");
  EXPECT_EQ(DefaultExtension(L"."), L"");
}

}  // namespace
}  // namespace q730x
