// Q730XGallery [output folder]
// Opens every skinned window of the utility with sample texts, puts the
// buttons in their looks (hover under the pointer, pressed, checked) and
// saves a screenshot of each, by default into "screenshots" beside the
// program's folder. Ends with 0 when every window opened and was saved.
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

void ShowMacroManager() {
  SampleWindow main(kPlainPopupTemplate, {822, 544}, {135, 137, 138, {}, {}},
                    {{{789, 2, 819, 32}},
                     {{761, 2, 788, 32}},
                     {{48, 58, 79, 90}, L"", false, false, {}, Language.str_keyboard},
                     {{94, 58, 120, 90}, L"", false, false, {}, Language.str_macro}},
                    {});
  main.UseRegion();
  if (!main.CreateModeless(nullptr)) return (void)++failures;
  SampleWindow page(132, {822, 448}, {155, 156, 157, {}, {}},
                    {{{563, 43, 688, 70}, L"Start recording"},
                     {{97, 302, 123, 327}, L"", false, false, {}, Language.str_macro_new},
                     {{124, 302, 150, 327}, L"", false, false, {}, Language.str_macro_del},
                     {{317, 302, 343, 327}, L"", false, false, {}, Language.str_macro_insert5},
                     {{344, 302, 370, 327}, L"", false, false, {}, Language.str_macro_delitem},
                     {{371, 302, 398, 327}, L"", false, false, {}, Language.str_macro_modify},
                     {{563, 83, 758, 96}, L"No pauses", true, false, RECT{16, 0, 195, 13}},
                     {{563, 116, 578, 130}, L"", true, true}, {{563, 136, 578, 151}, L"", true},
                     {{563, 158, 578, 172}, L"", true},
                     {{622, 300, 652, 349}, L"", false, false, {}, Language.str_mouse_left},
                     {{657, 300, 678, 348}, L"", false, false, {}, Language.str_mouse_middle},
                     {{683, 300, 713, 349}, L"", false, false, {}, Language.str_mouse_right}},
                    {{L"Macros", {95, 20, 308, 40}, RGB(88, 99, 105)},
                     {L"Steps", {315, 20, 527, 40}, RGB(88, 99, 105)},
                     {L"Repeat", {585, 115, 676, 130}, RGB(88, 99, 105)},
                     {L"Until released", {585, 137, 819, 153}, RGB(88, 99, 105)},
                     {L"Until pressed again", {585, 158, 779, 172}, RGB(88, 99, 105)}});
  page.PlaceAt({0, 86});
  if (!page.CreateModeless(main.hwnd())) return (void)++failures;
  SetWindowPos(page.hwnd(), nullptr, 0, 86, 822, 448, SWP_NOZORDER);
  // The macro and step lists, filled as after recording a short macro.
  CListBoxEx macros, steps;
  for (CListBoxEx* list : {&macros, &steps}) {
    list->SetBackgroundColour(RGB(15, 15, 15));
    list->SetTextColour(RGB(83, 92, 107));
    list->SetSelectedBackColour(RGB(37, 37, 37));
    list->SetSelectedTextColour(RGB(150, 150, 150));
  }
  macros.Create(page.hwnd(), {97, 43, 308, 289}, 256);
  for (const wchar_t* name : {L"Reload", L"Combo 1", L"Sprint", L"Build wall"})
    macros.AddEntry(0x1000, name);
  SendMessageW(macros.hwnd(), LB_SETCURSEL, 1, 0);
  steps.Create(page.hwnd(), {317, 43, 528, 289}, 257);
  steps.AddEntry('R', L"R", kEntryDown);
  steps.AddEntry(85, L"85  ms", kEntryDelay);
  steps.AddEntry('R', L"R", kEntryUp);
  steps.AddEntry(120, L"120  ms", kEntryDelay);
  steps.AddEntry(VK_SHIFT, L"Left Shift", kEntryDown);
  steps.AddEntry(VK_SHIFT, L"Left Shift", kEntryUp);
  SendMessageW(steps.hwnd(), LB_SETCURSEL, 2, 0);
  ShowWindow(page.hwnd(), SW_SHOW);
  ShowWindow(main.hwnd(), SW_SHOW);
  SetForegroundWindow(main.hwnd());
  Pump(300);
  MovePointer(page.hwnd(), {110, 314});
  Save(main.hwnd(), L"main_window_macros");
  // A new macro being named in place.
  macros.AddEntry(0x1001, L"New macro", 0, true);
  Save(main.hwnd(), L"main_window_macros_rename");
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
  outputFolder = argc > 1 ? argv[1] : ProgramFolder() + L"..\\screenshots\\";
  if (!outputFolder.empty() && outputFolder.back() != L'\\') outputFolder += L'\\';
  CreateDirectoryW(outputFolder.c_str(), nullptr);

  ShowMacroManager();
  ShowSettingDialog();
  ShowSmallDialogs();
  ShowBoxes();
  ShowTrayMenu();
  return failures == 0 ? 0 : 1;
}
