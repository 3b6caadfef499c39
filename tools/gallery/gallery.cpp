// Q730XGallery [--utility] [output folder]
// Opens every skinned window of the utility with sample texts, puts the
// buttons in their looks (hover under the pointer, pressed, checked) and
// saves a screenshot of each, by default into "screenshots" beside the
// program's folder. Ends with 0 when every window opened and was saved.
// With --utility it photographs the running utility's macro page instead,
// recording a first macro there (with real keys) when it has none.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "markup/language_table.h"
#include "device/key_tap_binding.h"
#include "model/key_code.h"
#include "model/profile_buffers.h"
#include "model/macro_record.h"
#include "model/macro_store.h"
#include "pages/about_dialog.h"
#include "pages/advanced_function_page.h"
#include "pages/base_function_page.h"
#include "pages/macro_assignment_page.h"
#include "pages/macro_manager.h"
#include "pages/key_combination_page.h"
#include "pages/key_setting_dialog.h"
#include "pages/message_box.h"
#include "pages/notice_box.h"
#include "pages/progress_box.h"
#include "pages/report_rate_dialog.h"
#include "skin/kavex_menu.h"
#include "skin/list_box_ex.h"
#include "sample_window.h"
#include "screenshot.h"
#include "skin/skin_files.h"

using namespace q730x;

namespace {

// Any popup template without controls; the utility's own main window
// template is kept for the utility, which is found by its class.
constexpr int kPlainPopupTemplate = 130;

std::wstring outputFolder;
int failures = 0;

// Runs the message loop for a while so windows paint and react.
void Pump(DWORD milliseconds) {
  DWORD end = GetTickCount() + milliseconds;
  while (int(end - GetTickCount()) > 0) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (Window::PreTranslateChain(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

void MovePointer(HWND window, POINT client) {
  ClientToScreen(window, &client);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = client.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = client.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
  Pump(120);
  input.mi.dx += 1;  // a second small move lets the button under the pointer take it
  SendInput(1, &input, sizeof input);
  Pump(200);
}

void Save(HWND window, const wchar_t* name) {
  Pump(250);
  std::wstring path = outputFolder + name + L".png";
  if (!window || !SaveWindowScreenshot(window, path)) {
    std::fwprintf(stderr, L"gallery: could not save %ls\n", path.c_str());
    ++failures;
  } else {
    std::wprintf(L"saved %ls\n", path.c_str());
  }
}

// The real macro manager inside a main window, on macros of its own (under
// HKEY_CURRENT_USER, so the gallery never touches the utility's macros).
const wchar_t kGalleryMacros[] = L"Software\\Q730XGallery\\Macro\\";

void StoreGalleryMacro(std::uint32_t id, const std::u16string& name, int keys) {
  std::vector<std::uint32_t> steps;
  for (int k = 0; k < keys; ++k) {
    const std::uint32_t vk = 'A' + std::uint32_t(k % 26);
    steps.insert(steps.end(), {MakeStep(STEP_PRESS, vk), MakeStep(STEP_PAUSE, 40u + 10u * k),
                               MakeStep(STEP_RELEASE, vk), MakeStep(STEP_PAUSE, 120)});
  }
  MacroBuildInput input;
  input.id = id;
  input.name = name;
  input.repeatField = u"3";
  if (auto record = BuildMacroRecord(steps, input)) WriteMacro({HKEY_CURRENT_USER, kGalleryMacros}, *record);
}

// Presses a button of the page at a client point, as a click would.
void ClickPageButton(HWND page, POINT at) {
  HWND button = ChildWindowFromPointEx(page, at, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
  if (button && button != page) SendMessageW(button, BM_CLICK, 0, 0);
  Pump(100);
}

// A key as the key hook library reports it, after a pause of `waitMs`.
void ReportKey(HWND page, std::uint32_t vk, bool release, DWORD waitMs) {
  Pump(waitMs);
  PostMessageW(page, kKeyTapReportMessage, vk, release ? kKeyTapRelease : 0);
  Pump(30);
}

void ShowMacroManager() {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Q730XGallery");
  const std::pair<std::uint32_t, std::u16string> samples[] = {
      {0x00A10001, u"Reload"}, {0x00A10002, u"Combo 1"}, {0x00A10003, u"Sprint"}, {0x00A10004, u"Build wall"}};
  for (const auto& [id, name] : samples) StoreGalleryMacro(id, name, 2);

  SampleWindow main(kPlainPopupTemplate, {822, 544}, {135, 137, 138, {}, {}},
                    {{{789, 2, 819, 32}},
                     {{761, 2, 788, 32}},
                     {{48, 58, 79, 90}, L"", false, false, {}, Language.str_keyboard},
                     {{94, 58, 120, 90}, L"", false, false, {}, Language.str_macro}},
                    {});
  main.UseRegion();
  if (!main.CreateModeless(nullptr)) return (void)++failures;
  auto page = MakeWindow<CMacroDlg>(MacroRoot{HKEY_CURRENT_USER, kGalleryMacros});
  if (!page->CreateModeless(main.hwnd())) return (void)++failures;
  SetWindowPos(page->hwnd(), nullptr, 0, 86, 822, 448, SWP_NOZORDER | SWP_SHOWWINDOW);
  ShowWindow(main.hwnd(), SW_SHOW);
  SetForegroundWindow(main.hwnd());
  HWND p = page->hwnd();

  // A new macro, named, then recorded: R, a pause, Left Shift with the left mouse button.
  ClickPageButton(p, {110, 314});
  if (HWND editor = page->macroList().editor()) SetWindowTextW(editor, L"Headshot");
  SetFocus(p);  // the editor loses the focus: the name is taken
  Pump(200);
  ClickPageButton(p, {625, 56});
  ReportKey(p, 'R', false, 0);
  ReportKey(p, 'R', true, 85);
  ReportKey(p, VK_LSHIFT, false, 160);
  ReportKey(p, VK_LBUTTON, false, 60);
  ReportKey(p, VK_LBUTTON, true, 90);
  ReportKey(p, VK_LSHIFT, true, 40);
  MovePointer(p, {625, 56});
  Save(main.hwnd(), L"main_window_macros_recording");
  ClickPageButton(p, {625, 56});

  // The insert panel open on the selected step, a key being captured.
  SendMessageW(page->stepList().hwnd(), LB_SETCURSEL, 2, 0);
  ClickPageButton(p, {330, 314});
  ClickPageButton(p, {571, 199});
  ReportKey(p, VK_SPACE, false, 0);
  MovePointer(p, {698, 250});
  Save(main.hwnd(), L"main_window_macros_insert");
  ClickPageButton(p, {698, 250});

  // Many macros and a long recording: both lists scroll.
  for (std::uint32_t i = 0; i < 20; ++i)
    StoreGalleryMacro(0x00A20000 + i, u"Macro " + std::u16string(1, char16_t(u'A' + i)), 12);
  page->RefillMacroList();
  SendMessageW(page->macroList().hwnd(), LB_SETCURSEL, 7, 0);
  SendMessageW(page->macroList().hwnd(), LB_SETTOPINDEX, 0, 0);
  PostMessageW(p, kListSelectionMessage, CMacroDlg::kMacroListId, 7);
  Pump(200);
  MovePointer(p, {180, 120});
  Save(main.hwnd(), L"main_window_macros_long");
  page.reset();
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Q730XGallery");
}

// The running utility, driven as a user drives it: its macro page, with a
// macro recorded through the key hook library when it has none yet.
void SendClick(HWND window, POINT client) {
  MovePointer(window, client);
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, input, sizeof(INPUT));
  Pump(300);
}

void SendKey(WORD vk, bool release, DWORD waitMs) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = WORD(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = release ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
  Pump(waitMs);
}

void SendText(const std::wstring& text) {
  for (wchar_t c : text)
    for (DWORD up : {DWORD(0), DWORD(KEYEVENTF_KEYUP)}) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wScan = c;
      input.ki.dwFlags = KEYEVENTF_UNICODE | up;
      SendInput(1, &input, sizeof input);
    }
  Pump(200);
}

bool ShowRunningUtilityMacros() {
  HWND main = FindWindowW(L"Q730XMainWindow", nullptr);
  if (!main || !IsWindowVisible(main)) {
    std::fwprintf(stderr, L"gallery: no open utility window\n");
    return false;
  }
  SetForegroundWindow(main);
  Pump(300);
  SendClick(main, {107, 74});  // the macro page button
  HWND page = FindWindowExW(main, nullptr, nullptr, CMacroDlg::kWindowText);
  if (!page || !IsWindowVisible(page)) return false;
  // The macro list, inside the frame of its skinned scroll bar.
  HWND macros = nullptr;
  EnumChildWindows(
      page,
      [](HWND window, LPARAM found) -> BOOL {
        wchar_t name[16] = {};
        GetClassNameW(window, name, 16);
        if (_wcsicmp(name, L"ListBox") != 0 || GetDlgCtrlID(window) != CMacroDlg::kMacroListId) return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&macros));
  if (macros && SendMessageW(macros, LB_GETCOUNT, 0, 0) == 0) {
    SendClick(page, {110, 314});  // New, then its name
    SendText(L"Reload");
    SendClick(page, {625, 56});   // Record
    SendKey('R', false, 90);
    SendKey('R', true, 400);
    SendKey(VK_LSHIFT, false, 60);
    SendKey('E', false, 120);
    SendKey('E', true, 50);
    SendKey(VK_LSHIFT, true, 200);
    SendClick(page, {625, 56});   // Stop
  }
  MovePointer(page, {625, 56});
  Save(main, L"utility_macros");
  return true;
}

// Answers the advanced page's pickers with sample paths, as a user would choose them.
class SamplePicker : public PathPicker {
 public:
  std::optional<std::wstring> PickFile(const FilePickerRequest& request) override {
    if (std::wstring(request.filter).find(L"wav") != std::wstring::npos)
      return L"C:\\Windows\\Media\\chord.wav";
    return L"C:\\Program Files\\Kavex\\Game Launcher\\launcher.exe";
  }
  std::optional<std::wstring> PickFolder() override { return L"D:\\Screenshots"; }
};

void Click(CGDIBitmapBtn& button) { SendMessageW(button.hwnd(), BM_CLICK, 0, 0); }

// A key as the user presses it: through the hook library when it is bound,
// otherwise as the report the library would post.
void PressKey(HWND combo, WORD vk) {
  if (!KeyTap.Bound()) {
    SendMessageW(combo, kKeyTapReportMessage, vk, 0);
    return;
  }
  INPUT keys[2] = {};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = vk;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof(INPUT));
  Pump(300);
}

// The real key setting dialog for the Caps Lock key, on each of its pages.
void ShowSettingDialog() {
  BindKeyTap();
  BuildDefaultMatrix();
  buffers::KeyMatrix = DefaultMatrix;
  CSettingDlg dialog;
  dialog.assignment().position = 17;
  if (!dialog.CreateModeless(nullptr)) return (void)++failures;
  using Button = CSettingDlg::Button;
  ShowWindow(dialog.hwnd(), SW_SHOW);
  SetForegroundWindow(dialog.hwnd());
  Pump(300);

  CDlgSingleCombo* combo = dialog.comboPage();
  Click(combo->box(ComboModifier::Ctrl));
  PressKey(combo->hwnd(), 'C');
  MovePointer(dialog.hwnd(), {354, 271});
  Save(dialog.hwnd(), L"setting_dialog_combination");

  // Sample macros in the store, listed on the macro page, removed afterwards.
  const std::pair<std::uint32_t, std::u16string> samples[] = {
      {0x006A0001, u"Reload and duck"}, {0x006A0002, u"Build wall"}, {0x006A0003, u"Sprint jump"},
      {0x006A0004, u"Quick save"}};
  for (const auto& [id, name] : samples) {
    std::vector<std::uint32_t> steps = {MakeStep(STEP_PRESS, 0x04), MakeStep(STEP_RELEASE, 0x04)};
    MacroBuildInput input;
    input.id = id;
    input.name = name;
    if (auto record = BuildMacroRecord(steps, input)) WriteMacro(DefaultMacroRoot(), *record);
  }
  SendMessageW(dialog.macroPage()->hwnd(), kRefillMacroListMessage, 0, 0);
  Click(dialog.button(Button::Tab2));
  MovePointer(dialog.macroPage()->hwnd(), {120, 25});
  Save(dialog.hwnd(), L"setting_dialog_macro");
  for (const auto& sample : samples) DeleteMacro(DefaultMacroRoot(), sample.first);

  Click(dialog.button(Button::Tab3));
  MovePointer(dialog.basePage()->hwnd(), {120, 100});
  Save(dialog.hwnd(), L"setting_dialog_base");

  SamplePicker picker;
  dialog.advancedPage()->SetPathPicker(&picker);
  Click(dialog.button(Button::Tab4));
  Click(dialog.advancedPage()->openButton(1));
  Click(dialog.advancedPage()->openButton(3));
  Click(dialog.advancedPage()->openButton(0));
  MovePointer(dialog.advancedPage()->hwnd(), {311, 70});
  Save(dialog.hwnd(), L"setting_dialog_advanced");

  Click(dialog.button(Button::Disable));
  MovePointer(dialog.hwnd(), {276, 271});
  Save(dialog.hwnd(), L"setting_dialog_disabled");
  dialog.Destroy();
}

void ShowSmallDialogs() {
  std::uint32_t rateValue = 500;
  CUpdaterateDlg rate(rateValue);
  if (!rate.CreateModeless(nullptr)) return (void)++failures;
  ShowWindow(rate.hwnd(), SW_SHOW);
  SetForegroundWindow(rate.hwnd());
  MovePointer(rate.hwnd(), {260, 154});
  Save(rate.hwnd(), L"report_rate_dialog");
  rate.Destroy();

  // The about dialog as the tray menu's About shows it, with the pointer on
  // the firmware check; then its prompt box in both modes.
  CDlgAbout about;
  if (!about.CreateModeless(nullptr)) return (void)++failures;
  about.SetFirmwareVersion(L"1.2");
  ShowWindow(about.hwnd(), SW_SHOW);
  SetForegroundWindow(about.hwnd());
  MovePointer(about.hwnd(), {275, 163});
  Save(about.hwnd(), L"about_dialog");
  ShowWindow(about.hwnd(), SW_HIDE);

  CMessageLink* prompt = about.Prompt();
  if (!prompt || !prompt->hwnd()) return (void)++failures;
  prompt->SetMode(CMessageLink::Mode::Firmware);
  ShowWindow(prompt->hwnd(), SW_SHOW);
  SetForegroundWindow(prompt->hwnd());
  MovePointer(prompt->hwnd(), {267, 130});
  Save(prompt->hwnd(), L"update_prompt");
  prompt->SetMode(CMessageLink::Mode::Driver);
  MovePointer(prompt->hwnd(), {193, 130});
  Save(prompt->hwnd(), L"update_prompt_utility");
  about.Destroy();
}

// The message box is modal: a timer takes the picture and presses OK.
void CALLBACK PictureAndCloseMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND box = FindWindowW(nullptr, L"Info Box");
  if (box) {
    MovePointer(box, {273, 143});
    Save(box, L"message_box");
    PostMessageW(box, WM_CLOSE, 0, 0);
  }
}

void ShowBoxes() {
  SetTimer(nullptr, 0, 400, &PictureAndCloseMessageBox);
  if (ShowMessageBox(L"The keyboard settings were saved to the current profile.") < 0)
    ++failures;

  CMsgNotice notice;
  notice.SetText(L"Updating the keyboard, please wait...");
  if (!notice.CreateModeless(nullptr)) return (void)++failures;
  Save(notice.hwnd(), L"notice_box");
  notice.Destroy();

  CProgressDlg progress;
  RECT text{35, 20, 280, 50};
  progress.SetProgressText(L"Writing the profile to the keyboard...", &text);
  progress.SetBarExtent({59, 67, 298, 76});
  progress.SetRange(0, 100);
  if (!progress.CreateModeless(nullptr)) return (void)++failures;
  ShowWindow(progress.hwnd(), SW_SHOW);
  PostMessageW(progress.hwnd(), kProgressMessage, 0, 0);
  Save(progress.hwnd(), L"progress_box_0");
  PostMessageW(progress.hwnd(), kProgressMessage, 50, 0);
  Save(progress.hwnd(), L"progress_box_50");
  PostMessageW(progress.hwnd(), kProgressMessage, 100, 0);
  Save(progress.hwnd(), L"progress_box_100");
  progress.Destroy();

  // The firmware update's box, as the burn tool moves it.
  CProgressDlg firmware;
  firmware.SetProgressText(Language.str_updating, &text);
  firmware.SetBarExtent({59, 67, 298, 76});
  firmware.SetRange(0, 100);
  if (!firmware.CreateModeless(nullptr)) return (void)++failures;
  ShowWindow(firmware.hwnd(), SW_SHOWNOACTIVATE);
  firmware.SetProgressPosition(60);
  Save(firmware.hwnd(), L"firmware_progress_box");
  firmware.Destroy();
}

// The tray menu: an owner window passes the menu's drawing requests on, and
// a timer photographs the open menu and closes it.
CKavexMenu* openMenu = nullptr;

LRESULT CALLBACK MenuOwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_MEASUREITEM) return CKavexMenu::Measure(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)), TRUE;
  if (message == WM_DRAWITEM && openMenu) return openMenu->Draw(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam)), TRUE;
  return DefWindowProcW(window, message, wParam, lParam);
}

void CALLBACK PictureAndCloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND menuWindow = FindWindowW(L"#32768", nullptr);
  if (menuWindow) {
    RECT r;
    GetWindowRect(menuWindow, &r);
    // The pointer on the second item shows the selected look.
    SetCursorPos(r.left + 40, r.top + 33);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
    Pump(300);
    Save(menuWindow, L"tray_menu");
  } else {
    ++failures;
  }
  EndMenu();
}

void ShowTrayMenu() {
  WNDCLASSW c{};
  c.lpfnWndProc = MenuOwnerProc;
  c.hInstance = GetModuleHandleW(nullptr);
  c.lpszClassName = L"Q730XGalleryMenuOwner";
  RegisterClassW(&c);
  HWND owner = CreateWindowExW(0, c.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 300, 300, 1, 1, nullptr,
                               nullptr, c.hInstance, nullptr);
  SetForegroundWindow(owner);
  CKavexMenu menu;
  menu.SetColours(RGB(219, 216, 209), RGB(177, 185, 207));
  const MenuItemRecord about{174, 174, Language.str_about};
  const MenuItemRecord open{145, 145, Language.str_configuration};
  const MenuItemRecord exit{147, 147, Language.str_exit};
  menu.Append(0x6002, about);
  menu.Append(0x6000, open);
  menu.Append(0x6001, exit);
  openMenu = &menu;
  SetTimer(nullptr, 0, 400, &PictureAndCloseMenu);
  TrackPopupMenu(menu.handle(), TPM_RIGHTBUTTON, 400, 400, 0, owner, nullptr);
  openMenu = nullptr;
  DestroyWindow(owner);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
  InitCommonControlsEx(&controls);
  GdiplusSession gdiplus;
  LoadLanguage(ProgramFolder() + L"language.xml");
  const bool utility = argc > 1 && std::wstring(argv[1]) == L"--utility";
  if (utility) ++argv, --argc;
  outputFolder = argc > 1 ? argv[1] : ProgramFolder() + L"..\\screenshots\\";
  if (!outputFolder.empty() && outputFolder.back() != L'\\') outputFolder += L'\\';
  CreateDirectoryW(outputFolder.c_str(), nullptr);

  if (utility) return ShowRunningUtilityMacros() && failures == 0 ? 0 : 1;
  ShowMacroManager();
  ShowSettingDialog();
  ShowSmallDialogs();
  ShowBoxes();
  ShowTrayMenu();
  return failures == 0 ? 0 : 1;
}
