// The nine roads of the utility, each gone as a user goes it: the program
// found by its window titles, the real pointer clicking at the windows' own
// places, keys through SendInput, the tray icon's menu opened by its right
// click. What happened is read from the virtual keyboard, the registry, the
// profile files and the file system. run-road.sh runs each road alone in a
// Wine prefix of its own with the program installed into it; every road
// prints one line per thing it checked.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gui_support.h"
#include "key_input.h"
#include "keyboard_page_fixture.h"
#include "markup/language_table.h"
#include "model/macro_record.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "skin/kavex_menu.h"
#include "skin/skin_files.h"
#include "store_test_support.h"
#include "update_server_folder.h"
#include "update_windows.h"
#include "window_driver.h"

namespace q730x::test {
namespace {

constexpr WORD kCommandExit = 0x6001;
// The tray menu's items, from the top.
enum TrayItem { kTrayAbout, kTrayOpen, kTrayExit };

TrayIcon Tray(HWND main) { return TrayIcon{main, 0x600, 3, kMenuItemHeight}; }

// Prints what a road checked and whether it held; answers whether it held.
bool Checked(int road, bool held, const std::string& what) {
  std::printf("road %d: %s%s\n", road, what.c_str(), held ? "" : "  -- FAILED");
  std::fflush(stdout);
  return held;
}

bool Visible(HWND window) { return IsWindowVisible(window) != FALSE; }
bool Hidden(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

LanguageTable Texts() {
  LanguageTable texts;
  LoadLanguageTable(DistFolder() + L"language.xml", texts);
  return texts;
}

// The code at a key position of profile index 0..4, as stored in the
// registry and in its profile file, as hex digits.
std::string StoredAt(int profile, int position) {
  return Hex4(ReadRaw(ProfilePath(profile), L"Matrix").bytes, std::size_t(position) * 4);
}
std::string FileAt(int profile, int position) {
  const std::wstring file = DistFolder() + L"profile\\" + std::to_wstring(profile + 1) + L".cfg";
  return Hex4(ReadFileBytes(file), std::size_t(position) * 4);
}

// The colours along a row through a key of the page, as the screen shows
// them with the pointer elsewhere.
std::vector<COLORREF> KeyLook(HWND page, POINT key) {
  MovePointerTo(GetDesktopWindow(), POINT{1270, 1015});
  POINT screen = key;
  ClientToScreen(page, &screen);
  HDC dc = GetDC(nullptr);
  std::vector<COLORREF> colours;
  for (int dx = -12; dx <= 12; dx += 2) colours.push_back(GetPixel(dc, screen.x + dx, screen.y + 6));
  ReleaseDC(nullptr, dc);
  return colours;
}

// The visible icons of the notification area: on the test display, which has
// no tray of its own, Wine shows them as windows of its stand-alone tray.
int TrayIconWindows() {
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  int count = 0;
  for (HWND icon = tray ? FindWindowExW(tray, nullptr, L"__winex11_tray_icon", nullptr) : nullptr; icon;
       icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr))
    count += IsWindowVisible(icon) ? 1 : 0;
  return count;
}

// ---------------------------------------------------------------------------
// Road 1: the utility starts hidden behind its tray icon, runs once, and
// opens from the tray.
class Road1 : public VirtualKeyboardSuite {
 protected:
  static void SetUpTestSuite() { StartKeyboard("road-1"); }
};

TEST_F(Road1, StartsHiddenRunsOnceAndOpensFromTheTray) {
  const std::wstring title = Texts().str_title;
  Utility first;
  HWND main = WaitForWindow(title);
  ASSERT_TRUE(Checked(1, main != nullptr, "the utility's main window appears"));
  ASSERT_TRUE(Checked(1, keyboard().WaitForDump("registered", "1", 15000),
                      "it registers with the keyboard's driver: registered 1"));
  EXPECT_TRUE(Checked(1, !Visible(main), "it starts hidden"));
  EXPECT_TRUE(Checked(1, Eventually([] { return TrayIconWindows() == 1; }), "behind its tray icon"));
  bool files = true, profiles = true;
  for (int n = 0; n < 5; ++n) {
    files &= ReadFileBytes(DistFolder() + L"profile\\" + std::to_wstring(n + 1) + L".cfg").size() == 84500;
    profiles &= ReadRaw(ProfilePath(n), L"Matrix").bytes.size() == 640;
  }
  EXPECT_TRUE(Checked(1, profiles, "five profiles in HKLM\\Software\\KAVEX\\Q730X\\Profile\\0..4, Matrix 640 bytes"));
  EXPECT_TRUE(Checked(1, files, "profile\\1.cfg .. 5.cfg next to the program, 84500 bytes each"));

  {
    Utility second;
    EXPECT_TRUE(Checked(1, second.Ended(15000), "a second copy ends at once"));
  }
  EXPECT_TRUE(Checked(1, WaitUntil(&Visible, main), "and the first copy's window opens"));
  EXPECT_TRUE(Checked(1, FindWindowExW(nullptr, main, nullptr, title.c_str()) == nullptr, "one main window only"));

  ClickAt(main, kHide);
  EXPECT_TRUE(Checked(1, WaitUntil(&Hidden, main), "the hide button hides it"));
  EXPECT_TRUE(Checked(1, ChooseTrayMenuItem(Tray(main), kTrayOpen), "a right click on the tray icon opens its menu"));
  EXPECT_TRUE(Checked(1, WaitUntil(&Visible, main), "its second item opens the window"));

  PostMessageW(main, WM_COMMAND, kCommandExit, 0);
  EXPECT_TRUE(first.Ended(15000));
}

// ---------------------------------------------------------------------------
// Road 2: Caps Lock gets Ctrl+C in the key setting dialog; Apply downloads it
// and stores it.
class Road2 : public KeyboardPageTest {};

TEST_F(Road2, CapsLockGetsCtrlCAndApplyDownloadsAndStoresIt) {
  const std::vector<COLORREF> factoryLook = KeyLook(page_, kCapsLock);
  SetCapsLockToCtrlC();
  EXPECT_TRUE(Checked(2, Eventually([&] { return KeyLook(page_, kCapsLock) != factoryLook; }, 5000),
                      "Caps Lock is drawn with the changed mark"));
  EXPECT_TRUE(Checked(2, KeyboardAt(17) == kCapsFactory,
                      "before Apply the keyboard keeps matrix[17]=" + kCapsFactory + " (Caps Lock)"));
  ClickAt(page_, kApply);
  ASSERT_TRUE(Checked(2, Eventually([] { return StoredAt(0, 17) == kCtrlC; }, 15000),
                      "Apply stores registry Profile\\0 Matrix[17]=" + kCtrlC + " (Ctrl+C)"));
  EXPECT_TRUE(Checked(2, KeyboardAt(17) == kCtrlC, "keyboard matrix[17]=" + kCtrlC));
  EXPECT_TRUE(Checked(2, Eventually([] { return FileAt(0, 17) == kCtrlC; }, 5000), "profile\\1.cfg [17]=" + kCtrlC));
  EXPECT_TRUE(Checked(2, StoredCurrentProfile() == 0, "nCurFile=0"));
  EXPECT_TRUE(Checked(2, FindWindowW(nullptr, L"Info Box") == nullptr, "no message box"));
}

// ---------------------------------------------------------------------------
// Road 3: a key whose function is a screen capture, pressed on the keyboard,
// makes the capture tool save a picture.
class Road3 : public KeyboardPageTest {
 protected:
  static std::wstring Captures() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"q730x-road-captures\\";
  }
  // The first capture in the folder, or "".
  static std::wstring FirstCapture() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((Captures() + L"Capture *.png").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return L"";
    FindClose(search);
    return Captures() + found.cFileName;
  }
  void BeforeStart() override {
    while (!FirstCapture().empty()) DeleteFileW(FirstCapture().c_str());
    CreateDirectoryW(Captures().c_str(), nullptr);
    test::SetOverride(kCaptureFolderOverride, Captures().c_str());
    // Key position 5 of profile 1: capture the desktop (action kind 1).
    ASSERT_EQ(RunSettingsTool(L"set 1 5 C1050003"), 0u);
  }
};

TEST_F(Road3, AKeyThatCapturesTheScreenSavesAPicture) {
  ClickAt(page_, kApply);
  ASSERT_TRUE(Checked(3, Eventually([this] { return KeyboardAt(5) == "030005C1"; }, 15000),
                      "Apply puts the capture action on the keyboard: matrix[5]=030005C1"));
  // The download's progress box is modal until the profile is saved.
  ASSERT_TRUE(Checked(3, Eventually([] { return StoredAt(0, 5) == "030005C1" && VisibleWindows(L"ProgressDlg.").empty(); }),
                      "and stores it: Profile\\0 Matrix[5]=030005C1"));
  ClickAt(main_, kHide);
  EXPECT_TRUE(Checked(3, WaitUntil(&Hidden, main_), "the window is hidden, the utility runs on"));
  ASSERT_TRUE(keyboard().Admin("press 5"));
  const auto isPicture = [] {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(FirstCapture());
    return bytes.size() > 100 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G';
  };
  EXPECT_TRUE(Checked(3, Eventually(isPicture, 20000),
                      "key position 5 pressed: a PNG \"Capture *.png\" in the capture folder"));
  EXPECT_TRUE(Checked(3, !utility_->Ended(0), "the utility is still running"));
}

// ---------------------------------------------------------------------------
// Road 4: a macro recorded on the macro page with real keys, given to Caps
// Lock and applied: the keyboard plays it from a slot.
class Road4 : public KeyboardPageTest {};

// The ids of the stored macros (the subkeys of Macro).
std::vector<std::wstring> StoredMacros() {
  std::vector<std::wstring> names;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kStoreRoot) + L"\\Macro").c_str(), 0, KEY_READ, &key) != 0)
    return names;
  wchar_t name[256];
  for (DWORD i = 0, length = 256; RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == 0;
       ++i, length = 256)
    names.push_back(name);
  RegCloseKey(key);
  return names;
}

TEST_F(Road4, AMacroRecordedWithRealKeysIsPlayedByTheKeyboardFromCapsLock) {
  const std::wstring recordingText = Texts().str_macro_end;
  ClickAt(main_, kMacroButton);
  HWND macroPage = FindWindowExW(main_, nullptr, nullptr, L"KavexQ730XMacroManager");
  ASSERT_TRUE(Checked(4, macroPage && WaitUntil(&Visible, macroPage), "the macro button shows the macro page"));
  ClickAt(macroPage, kNew);
  Pump(300);
  InjectText(L"Road");  // the new macro's name, typed into the list's editor
  Pump(300);
  HWND record = ChildWindowFromPointEx(macroPage, kRecord, CWP_SKIPINVISIBLE);
  const auto recording = [&] {
    wchar_t text[128] = {};
    SendMessageW(record, WM_GETTEXT, 128, LPARAM(text));
    return recordingText == text;
  };
  ClickAt(macroPage, kRecord);
  ASSERT_TRUE(Checked(4, Eventually(recording, 5000), "Record starts a recording"));
  for (WORD key : {WORD('A'), WORD('B')}) {
    // Held and let go with pauses a person leaves, which the macro keeps.
    HoldKey(key);
    Sleep(120);
    LetGoKey(key);
    Sleep(120);
  }
  ClickAt(macroPage, kRecord);
  EXPECT_TRUE(Checked(4, Eventually([&] { return !recording(); }, 5000), "Record again ends it"));

  const std::vector<std::wstring> macros = StoredMacros();
  ASSERT_TRUE(Checked(4, macros.size() == 1, "one macro stored under Software\\KAVEX\\Q730X\\Macro"));
  const std::optional<MacroRecord> stored =
      MacroRecord::FromBytes(ReadRaw(std::wstring(kStoreRoot) + L"\\Macro\\" + macros[0], L"").bytes);
  std::vector<std::uint32_t> keys;
  for (std::size_t i = 0; stored && i < stored->EventCount(); ++i)
    if ((stored->Event(i).word >> 24) != 0xA0) keys.push_back(stored->Event(i).word);  // pauses left out
  const std::vector<std::uint32_t> pressedAB = {0xC0000041, 0xE0000041, 0xC0000042, 0xE0000042};
  EXPECT_TRUE(Checked(4, keys == pressedAB, "its steps: A down, A up, B down, B up, with pauses between"));

  ClickAt(main_, kKeyboardButton);
  ASSERT_TRUE(WaitUntil(&Visible, page_));
  ClickAt(page_, kCapsLock);
  HWND setting = WaitForWindow(L"KavexQ730XSetting", 5000);
  ASSERT_TRUE(Checked(4, setting != nullptr, "Caps Lock opens the key setting dialog"));
  Pump(300);
  ClickAt(setting, kMacroTab);
  Pump(300);
  ClickAt(setting, kSettingOk);  // the only macro is the one chosen
  ASSERT_TRUE(WaitUntil([](HWND w) { return !IsWindow(w); }, setting, 5000));
  ASSERT_TRUE(QueueHandled(main_));  // the page has taken the dialog's choice
  ClickAt(page_, kApply);
  ASSERT_TRUE(Checked(4, Eventually([] { return StoredAt(0, 17) == "080001FF"; }, 15000),
                      "Apply stores Matrix[17]=080001FF (the macro in slot 0)"));
  EXPECT_TRUE(Checked(4, KeyboardAt(17) == "080001FF", "keyboard matrix[17]=080001FF"));
  EXPECT_TRUE(Checked(4, keyboard().DumpField("slots") == "0", "keyboard slot 0 holds the macro"));
  const std::string play = keyboard().DumpField("play");
  const std::size_t a = play.find("+04"), aUp = play.find("-04"), b = play.find("+05"), bUp = play.find("-05");
  EXPECT_TRUE(Checked(4, a < aUp && aUp < b && b < bUp && bUp != std::string::npos,
                      "the keyboard plays +04 -04 +05 -05 (A, B): play " + play));
}

// ---------------------------------------------------------------------------
// Road 5: profile 2 is linked to notepad.exe on the page, through the link
// box and the open-file dialog; notepad in the foreground switches to it and
// downloads it, without a progress box.
class Road5 : public KeyboardPageTest {
 protected:
  void BeforeStart() override { ASSERT_EQ(RunSettingsTool(L"set 2 17 00060100"), 0u); }
};

TEST_F(Road5, TheLinkedProgramInFrontSwitchesAndDownloadsItsProfile) {
  EXPECT_TRUE(Checked(5, KeyboardAt(17) == kCapsFactory, "profile 1 on the keyboard: matrix[17]=" + kCapsFactory));
  ClickAt(page_, kProfileTab[1]);
  Pump(300);
  ClickAt(page_, kLinkBox);
  ChooseInOpenFileDialog(main_, L"C:\\windows\\notepad.exe");
  EXPECT_TRUE(Checked(5, Eventually(
                             [] {
                               LoadProgramLinks();
                               return buffers::ProCfg[1].enabled == 1 && buffers::ProCfg[1].Program() == u"notepad.exe";
                             },
                             5000),
                      "the link box and the open-file dialog store notepad.exe as profile 2's link"));
  ClickAt(page_, kProfileTab[0]);
  Pump(300);
  Notepad notepad;
  ASSERT_TRUE(Checked(5, notepad.ToFront(), "notepad comes to the foreground"));
  bool boxSeen = false;
  ASSERT_TRUE(Checked(5, WaitForCurrentProfile(1, boxSeen), "the link switches to profile 2: nCurFile=1"));
  EXPECT_TRUE(Checked(5, !boxSeen, "no progress box for a link's download"));
  EXPECT_TRUE(Checked(5, KeyboardAt(17) == kCtrlC, "keyboard matrix[17]=" + kCtrlC + " (profile 2's Ctrl+C)"));
  EXPECT_TRUE(Checked(5, FileAt(1, 17) == kCtrlC, "profile\\2.cfg [17]=" + kCtrlC));
}

// ---------------------------------------------------------------------------
// Road 6: the report rate set to 125 per second; the keyboard leaves and
// rejoins the bus, the utility carries on, and Apply stores the rate.
class Road6 : public KeyboardPageTest {};

TEST_F(Road6, Rate125ReachesTheKeyboardSurvivesTheReplugAndIsStored) {
  const auto storedRate125 = [] {
    const auto config = ReadRaw(ProfilePath(0), L"ConfigInfo").bytes;
    return config.size() >= 4 && config[0] == 125 && config[1] == 0;
  };
  ClickAt(page_, kRate);
  HWND dialog = nullptr;
  ASSERT_TRUE(Checked(6, Eventually([&] { return (dialog = OwnedDialog(main_)) != nullptr; }, 5000),
                      "the report rate button opens the report rate dialog"));
  Pump(300);
  const std::size_t rejoins = keyboard().Rejoins();
  ClickAt(dialog, kRate125);
  ClickAt(dialog, kRateOk);
  EXPECT_TRUE(Checked(6, keyboard().WaitForDump("interval", "8"), "125 per second: keyboard interval 8 ms"));
  EXPECT_TRUE(Checked(6, keyboard().WaitForRejoin(rejoins), "the keyboard left the bus and rejoined it"));
  EXPECT_TRUE(Checked(6, keyboard().DumpField("attached") == "1", "the keyboard is attached again"));
  // The utility hears the removal and the arrival; give it that moment.
  Pump(1000);
  EXPECT_TRUE(Checked(6, !utility_->Ended(0), "the utility took the removal as expected and runs on"));
  EXPECT_TRUE(Checked(6, !storedRate125(), "nothing stored before Apply"));
  ClickAt(page_, kApply);
  EXPECT_TRUE(Checked(6, Eventually(storedRate125, 15000), "Apply stores 125 in Profile\\0 ConfigInfo"));
  EXPECT_TRUE(Checked(6, keyboard().DumpField("interval") == "8", "the keyboard keeps interval 8 ms"));
}

// ---------------------------------------------------------------------------
// Roads 7 and 8: the update check from About in the tray menu, against the
// test session's update server.
class UpdateRoad : public KeyboardPageTest {
 protected:
  void BeforeStart() override {
    ASSERT_TRUE(server_.available()) << "the test session started no update server (python3?)";
    test::SetOverride(kUpdateServerOverride, server_.Address().c_str());
    ASSERT_TRUE(server_.SetFaults(""));
    texts_ = Texts();
    ASSERT_TRUE(LoadSkinBitmap(DistFolder() + L"skins\\messagebox\\Message_Normal.bmp", boxPicture_, nullptr));
  }
  HWND AboutFromTheTray() {
    if (!ChooseTrayMenuItem(Tray(main_), kTrayAbout)) return nullptr;
    return WaitForVisible(L"About Box", kAboutSize);
  }
  // Whether a window shows text at place over the embedded picture id.
  static bool ShowsOverPicture(HWND window, int id, const std::wstring& text, const TextPlace& place) {
    HBITMAP picture = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    const bool shown = ShowsText(window, picture, text, place, 5000);
    DeleteObject(picture);
    return shown;
  }
  static std::wstring FirmwareFolder() { return DistFolder() + L"FWUpdate\\"; }

  UpdateServerFolder server_;
  LanguageTable texts_;
  UniqueBitmap boxPicture_;
};

class Road7 : public UpdateRoad {};

TEST_F(Road7, TheCheckFetchesTheDescriptionAndSaysNothingIsNewer) {
  ASSERT_TRUE(server_.PutDescription(server_.FirmwarePart("V1.2", kImagePath, ""), ""));
  server_.ClearRequests();
  HWND about = AboutFromTheTray();
  ASSERT_TRUE(Checked(7, about != nullptr, "About in the tray menu opens the about dialog"));
  EXPECT_TRUE(Checked(7, ShowsOverPicture(about, 170, texts_.str_fwversion + L": v1.2", kFirmwareLine),
                      "it shows the keyboard's firmware v1.2"));
  ClickAt(about, kFirmwareCheck);
  EXPECT_TRUE(Checked(7, WaitUntil(&Hidden, about, 5000), "the firmware check hides it"));
  EXPECT_TRUE(Checked(7, Eventually([this] { return server_.Requests().find("newver.xml") != std::string::npos; }),
                      "the server is asked for /software/Q730X/newver.xml"));
  HWND box = WaitForVisible(L"Info Box", kMessageBoxSize);
  EXPECT_TRUE(Checked(7, box && ShowsText(box, boxPicture_.get(), texts_.str_updateerror5, kBoxText),
                      "V1.2 is what the keyboard has: the message box says nothing is newer"));
  EXPECT_TRUE(Checked(7, ReadWholeFile(FirmwareFolder() + L"newver.xml").find("<current>V1.2</current>") !=
                             std::string::npos,
                      "the description is saved as FWUpdate\\newver.xml"));
  if (box) PressOk(box);
  EXPECT_TRUE(Checked(7, box && WaitUntil(&Hidden, box, 5000), "OK closes the box"));
  EXPECT_TRUE(Checked(7, VisibleWindows(L"Info Box", kPromptSize).empty(), "no update prompt"));
}

class Road8 : public UpdateRoad {};

TEST_F(Road8, NewerFirmwareIsDownloadedAndBurnedByTheBurnTool) {
  const std::string image = FirmwareImage("1.3");
  ASSERT_TRUE(server_.Put(kImagePath, image));
  ASSERT_TRUE(server_.PutDescription(server_.FirmwarePart("V1.3", kImagePath, Sha256Hex(image)), ""));
  HWND about = AboutFromTheTray();
  ASSERT_TRUE(Checked(8, about != nullptr, "About in the tray menu opens the about dialog"));
  ClickAt(about, kFirmwareCheck);
  HWND prompt = WaitForVisible(L"Info Box", kPromptSize);
  ASSERT_TRUE(Checked(8, prompt && ShowsOverPicture(prompt, 171, texts_.str_updateprompt1, kPromptText),
                      "firmware V1.3 is newer: the prompt offers it"));
  ClickAt(prompt, kPromptOk);
  EXPECT_TRUE(Checked(8, WaitForVisible(L"ProgressDlg.") != nullptr, "OK: the firmware progress box shows"));
  EXPECT_TRUE(Checked(8, Hidden(main_), "the main window is hidden during the update"));
  EXPECT_TRUE(Checked(8, keyboard().WaitForDump("loader", "1", 20000), "the burn tool puts the keyboard into its loader"));
  EXPECT_TRUE(Checked(8, keyboard().WaitForDump("version", "1.3", 15000), "it burns firmware 1.3"));
  EXPECT_TRUE(Checked(8, keyboard().WaitForDump("loader", "0", 15000), "the keyboard rejoins with its firmware"));
  HWND box = WaitForVisible(L"Info Box", kMessageBoxSize);
  EXPECT_TRUE(Checked(8, box && ShowsText(box, boxPicture_.get(), texts_.str_updateover1, kBoxText),
                      "a message box tells the update is done"));
  EXPECT_TRUE(Checked(8, ReadWholeFile(FirmwareFolder() + L"KavexGameDevice.MTP") == image,
                      "FWUpdate\\KavexGameDevice.MTP is the server's image byte for byte"));
  if (box) PressOk(box);
  ASSERT_TRUE(box && WaitUntil(&Hidden, box, 5000));
  // The utility reads the version again once the keyboard is back, and the
  // about dialog shows what it read last: one opened before that read is
  // closed and opened again.
  bool readBack = false;
  for (const ULONGLONG end = GetTickCount64() + 15000; !readBack && GetTickCount64() < end;) {
    about = AboutFromTheTray();
    readBack = about && ShowsOverPicture(about, 170, texts_.str_fwversion + L": v1.3", kFirmwareLine);
    if (about && !readBack) {
      PostMessageW(about, WM_CLOSE, 0, 0);
      WaitUntil([](HWND w) { return !IsWindowVisible(w); }, about, 5000);
    }
  }
  EXPECT_TRUE(Checked(8, readBack, "the utility carries on: About reads firmware v1.3 back"));
}

// ---------------------------------------------------------------------------
// Road 9: Exit in the tray menu ends everything.
class Road9 : public KeyboardPageTest {};

TEST_F(Road9, ExitFromTheTrayMenuEndsEverything) {
  ClickAt(main_, kHide);
  ASSERT_TRUE(WaitUntil(&Hidden, main_));
  EXPECT_TRUE(Checked(9, keyboard().DumpField("registered") == "1", "while it runs, registered 1 with the driver"));
  EXPECT_TRUE(Checked(9, TrayIconWindows() == 1, "and its tray icon shows"));
  EXPECT_TRUE(Checked(9, ChooseTrayMenuItem(Tray(main_), kTrayExit), "Exit is chosen in the tray menu"));
  ASSERT_TRUE(Checked(9, utility_->Ended(15000), "the process ends, and its timers with it"));
  main_ = nullptr;
  EXPECT_TRUE(Checked(9, utility_->ExitCode() == 0, "exit code 0"));
  EXPECT_TRUE(Checked(9, keyboard().DumpField("registered") == "0", "the driver registration is gone: registered 0"));
  bool windowLeft = false;
  for (const wchar_t* title : {title_.c_str(), L"KavexQ730XKeyboardConfig", L"KavexQ730XMacroManager",
                               L"About Box", L"Info Box", L"ProgressDlg.", L"KavexQ730XSetting"})
    windowLeft |= FindWindowW(nullptr, title) != nullptr;
  EXPECT_TRUE(Checked(9, !windowLeft, "no window of the utility is left"));
  EXPECT_TRUE(Checked(9, Eventually([] { return TrayIconWindows() == 0; }, 5000), "its tray icon is gone"));
}

}  // namespace
}  // namespace q730x::test
