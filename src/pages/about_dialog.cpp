#include "pages/about_dialog.h"


#include "device/keyboard_commands.h"
#include "markup/language_table.h"
#include "pages/message_box.h"
#include "skin/keyboard_focus.h"
#include "skin/skin_files.h"
#include "update/update_address.h"

namespace q730x {

CDlgAbout::CDlgAbout() : SkinnedDialog(kTemplate, {427, 228}, DialogKeys::Ordinary) {}

std::wstring CDlgAbout::VersionLine(const std::wstring& versionText) {
  const std::size_t split = versionText.size() < 4 ? 0 : versionText.size() - 4;
  return versionText.substr(0, split) + L": " + versionText.substr(split);
}

void CDlgAbout::SetFirmwareVersion(const std::wstring& text) {
  firmwareVersion_ = text;
  if (hwnd()) Invalidate();
}

bool CDlgAbout::OnInitDialog() {
  SetWindowTextW(hwnd(), L"About Box");
  LoadEmbeddedBitmaps(170, 168, 169);
  // Topmost but not shown: the main window makes this box at start-up and
  // shows it only when asked. Shown and hidden again at once, it cost the
  // start two seconds under Wine, where taking a window off the screen
  // waits for a window manager that is not there.
  PlaceCentredOnParent(true, false);
  CreateSkinButton(close_, {398, 0, 425, 24});
  CreateSkinButton(cancel_, {339, 195, 404, 225}, Language.str_Cancel);
  CreateSkinButton(firmwareCheck_, {208, 152, 342, 174}, Language.str_check_new);
  CreateSkinButton(utilityCheck_, {208, 175, 342, 193}, Language.str_check_new);
  close_.SetAccessibleName(Language.str_close);
  ArrangeTabOrder({firmwareCheck_.hwnd(), utilityCheck_.hwnd(), cancel_.hwnd(), close_.hwnd()});
  return true;
}

// Made when a check first finds something newer rather than with the dialog:
// a hidden box titled "Info Box" for the whole run would be found by anyone
// looking for the message box by its title.
CMessageLink* CDlgAbout::Prompt() {
  if (!prompt_ && hwnd()) {
    prompt_ = MakeWindow<CMessageLink>();
    if (prompt_->CreateModeless(hwnd())) ShowWindow(prompt_->hwnd(), SW_HIDE);
  }
  if (prompt_ && !prompt_->hwnd()) return nullptr;
  if (prompt_) prompt_->SetTarget(promptTarget_);
  return prompt_.get();
}

bool CDlgAbout::OnCommand(HWND control, int code, int id) {
  if (control && (control == close_.hwnd() || control == cancel_.hwnd())) return OnCancel(), true;
  if (control && control == firmwareCheck_.hwnd()) return StartUpdateCheck(UpdateKind::Firmware), true;
  if (control && control == utilityCheck_.hwnd()) return StartUpdateCheck(UpdateKind::Driver), true;
  return SkinnedDialog::OnCommand(control, code, id);
}

void CDlgAbout::StartUpdateCheck(UpdateKind kind) {
  if (kind == UpdateKind::Firmware) promptTarget_ = keyboardPage_;
  UpdateCheckRequest request;
  request.aboutDialog = hwnd();
  request.kind = kind;
  request.firmwareMajor = FirmwareMajor;
  request.firmwareMinor = FirmwareMinor;
  request.programVersion = Language.str_version;
  request.folder = ProgramFolder();
  request.url = UpdateDescriptionUrl();
  UpdateCheckThread(std::move(request));
  ShowWindow(hwnd(), SW_HIDE);
}

void CDlgAbout::OnUpdateOutcome(UpdateOutcome outcome) {
  auto prompt = [this](CMessageLink::Mode mode) {
    CMessageLink* box = Prompt();
    if (!box) return;
    box->SetMode(mode);
    if (mode == CMessageLink::Mode::Driver) box->SetLinkText(NewDriverLocation());
    ShowWindow(box->hwnd(), SW_SHOW);
    SetForegroundWindow(box->hwnd());
  };
  switch (outcome) {
    case UpdateOutcome::DownloadFailed: ShowMessageBox(Language.str_updateerror3); break;
    case UpdateOutcome::Unreadable: ShowMessageBox(Language.str_updateerror2); break;
    case UpdateOutcome::FirmwareNotOlder: ShowMessageBox(Language.str_updateerror5); break;
    case UpdateOutcome::FirmwareNewer: prompt(CMessageLink::Mode::Firmware); break;
    case UpdateOutcome::DriverNewer: prompt(CMessageLink::Mode::Driver); break;
    case UpdateOutcome::DriverNotOlder: ShowMessageBox(Language.str_updateerror4); break;
    default: break;
  }
}

void CDlgAbout::PaintTexts(HDC dc) {
  auto text = [dc](const std::wstring& value, float x, float y, float width, float height) {
    DrawSkinText(dc, value, 8, 0, kTextColour, x, y, width, height);
  };
  text(Language.str_about, 7, 8, 69, 26);
  text(kMakerAddress, 318, 95, 404, 113);
  text(Language.str_about_title, 32, 128, 339, 147);
  if (!firmwareVersion_.empty()) text(Language.str_fwversion + L": v" + firmwareVersion_, 32, 156, 202, 179);
  text(VersionLine(Language.str_version), 32, 179, 202, 202);
}

LRESULT CDlgAbout::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_UPDATE_CHECK_RESULT) {
    OnUpdateOutcome(UpdateOutcome(wParam));
    return 0;
  }
  return SkinnedDialog::HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
