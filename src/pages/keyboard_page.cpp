#include "pages/keyboard_page.h"

#include <map>
#include <optional>

#include "device/detached_thread.h"
#include "markup/language_table.h"
#include "model/key_caption.h"
#include "model/key_layout_table.h"
#include "model/profile_buffers.h"
#include "model/profile_store.h"
#include "pages/burn_tool.h"
#include "pages/key_edit.h"
#include "pages/key_picture_access.h"
#include "pages/key_setting_dialog.h"
#include "pages/message_box.h"
#include "pages/progress_box.h"
#include "pages/report_rate_dialog.h"
#include "skin/skin_files.h"
#include "update/firmware_download.h"

namespace q730x {

namespace {

constexpr SIZE kPageSize{822, 448};
constexpr COLORREF kTextColour = RGB(0x58, 0x63, 0x69);  // 0x696358
constexpr COLORREF kFieldBackground = RGB(5, 5, 5);
constexpr RECT kTextField{103, 406, 103 + 146, 406 + 14};

// The page's bitmap buttons other than the keys, as rows.
struct ButtonRow {
  CGDIBitmapBtn CKeyboardDlg::*button;
  RECT rect;
  std::wstring LanguageTable::*text;
};

// The texts painted over the picture.
struct TextRow {
  std::wstring LanguageTable::*text;
  RECT rect;
};
constexpr UINT kPaintedTextFlags = 0x8134;  // single line, centred vertically, word break, no clip, ellipsis
const TextRow kTextRows[] = {
    {&LanguageTable::str_version, {10, 430, 150, 447}},
    {&LanguageTable::str_profile_caption, {101, 380, 251, 403}},
};

// The five profile tabs, slanted polygons in page coordinates: the first
// has six corners, the others five.
struct ProfileShape {
  POINT corners[6];
  int count;
};
const ProfileShape kProfileShapes[5] = {
    {{{96, 343}, {87, 351}, {107, 372}, {205, 372}, {212, 364}, {192, 343}}, 6},
    {{{193, 343}, {220, 371}, {317, 371}, {324, 364}, {303, 343}}, 5},
    {{{304, 343}, {332, 371}, {429, 371}, {436, 364}, {415, 343}}, 5},
    {{{417, 343}, {444, 371}, {541, 371}, {548, 364}, {527, 343}}, 5},
    {{{528, 343}, {555, 371}, {652, 371}, {660, 363}, {640, 343}}, 5},
};

// The download's progress box: the worker starts once the box's window
// exists, so that its first progress report and its close reach the box.
class DownloadProgressBox : public CProgressDlg {
 public:
  explicit DownloadProgressBox(KeyboardSession& session) : session_(session) {
    const RECT text{35, 20, 280, 50};
    SetProgressText(Language.str_updateprompt2, &text);
    SetBarExtent({59, 67, 298, 76});
    SetRange(0, 100);
  }

 protected:
  bool OnInitDialog() override {
    const bool result = CProgressDlg::OnInitDialog();
    if (!session_.StartDownload(hwnd())) EndDialog(IDCANCEL);
    return result;
  }

 private:
  KeyboardSession& session_;
};

bool EmptyRect(const KeyLayoutEntry& entry) { return entry.right <= entry.left || entry.bottom <= entry.top; }

}  // namespace

// A page inside the main window: Enter in its text field, and Escape, must
// end nothing (the field is typed in and kept until Apply), and only the
// main window's close sequence destroys the page.
CKeyboardDlg::CKeyboardDlg(KeyboardSession& session)
    : SkinnedDialog(kTemplate, kPageSize, DialogKeys::NeverEnd), session_(session) {
  DragParentInstead();
}

CKeyboardDlg::~CKeyboardDlg() = default;

bool CKeyboardDlg::OnInitDialog() {
  LoadEmbeddedBitmaps(151, 153, 154);
  const SIZE size = SkinSize();
  SetWindowPos(hwnd(), nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (UniqueRegion shape = RegionFromPicture(NormalPicture()))
    SetWindowRgn(hwnd(), shape.release(), TRUE);  // the window owns the region from here on
  SetWindowTextW(hwnd(), kWindowText);
  CreateControls();
  SelectProfileButton(currentProfile());
  RefreshKeys();
  return true;
}

void CKeyboardDlg::CreateControls() {
  static const ButtonRow kButtonRows[] = {
      {&CKeyboardDlg::restore_, {644, 411, 721, 447}, &LanguageTable::str_restore},
      {&CKeyboardDlg::apply_, {722, 411, 799, 447}, &LanguageTable::str_Apply},
      {&CKeyboardDlg::rate_, {693, 0, 793, 27}, &LanguageTable::str_rate_title},
      {&CKeyboardDlg::linkBox_, {373, 385, 564, 401}, &LanguageTable::str_relate_program},
      {&CKeyboardDlg::programName_, {394, 405, 544, 423}, nullptr},
  };
  for (const ButtonRow& row : kButtonRows)
    CreateSkinButton(this->*row.button, row.rect, row.text ? Language.*row.text : std::wstring());
  linkBox_.SetCheckMode(true);
  linkBox_.SetTextRect({18, 2, 190, 18});
  programName_.SetImages(HoverPicture(), HoverPicture(), PressedPicture(), NormalPicture(),
                         {394, 405, 544, 423});

  // The table's empty entries get no window: a button without a rectangle
  // or a name would still be listed by screen readers and take the focus.
  // Every walk of the table still visits them (their buttons stay windowless).
  for (std::size_t entry = 0; entry < kKeyLayoutEntries; ++entry) {
    const KeyLayoutEntry& key = KeyLayoutTable[entry];
    if (EmptyRect(key)) continue;
    CreateSkinButton(keys_[entry], {key.left, key.top, key.right, key.bottom});
    keys_[entry].SetUserValue(std::uint32_t(key.position));
  }
  CreateProfileButtons();

  HWND field = GetDlgItem(hwnd(), kTextFieldId);
  MoveWindow(field, kTextField.left, kTextField.top, kTextField.right - kTextField.left,
             kTextField.bottom - kTextField.top, FALSE);
  SendMessageW(field, EM_LIMITTEXT, kAuxTextUnits - 1, 0);
  if (!font_) font_ = CreateSkinFont();
  SendMessageW(field, WM_SETFONT, WPARAM(font_.get()), FALSE);
  editBrush_.reset(CreateSolidBrush(kFieldBackground));
  MakeUsableByKeys({hwnd(), &keys_, &profiles_, &rate_, &linkBox_, &programName_, &restore_, &apply_, field});
}

void CKeyboardDlg::CreateProfileButtons() {
  for (int i = 0; i < 5; ++i) {
    UniqueRegion shape(CreatePolygonRgn(kProfileShapes[i].corners, kProfileShapes[i].count, WINDING));
    CIrrButton& tab = profiles_[i];
    tab.SetPictures(NormalPicture(), PressedPicture(), HoverPicture(), NormalPicture());
    tab.SetTextOffset(-5, 0);
    tab.CreateShaped(Language.str_profile_title + std::to_wstring(i + 1), shape.get(), hwnd());
  }
}

void CKeyboardDlg::SelectProfileButton(int profile) {
  for (int i = 0; i < 5; ++i) {
    if (profiles_[i].selected() == (i == profile)) continue;
    profiles_[i].SetSelected(i == profile);
    if (profiles_[i].hwnd()) InvalidateRect(profiles_[i].hwnd(), nullptr, FALSE);
  }
}

// A tab whose profile has edits not yet applied carries a star.
void CKeyboardDlg::UpdateProfileMarks() {
  for (int i = 0; i < 5; ++i) {
    HWND tab = profiles_[i].hwnd();
    if (!tab) continue;
    std::wstring wanted = Language.str_profile_title + std::to_wstring(i + 1);
    if (session_.HasPendingEdits(i)) wanted += L" *";
    wchar_t shown[128] = {};
    GetWindowTextW(tab, shown, 128);
    if (wanted == shown) continue;
    SetWindowTextW(tab, wanted.c_str());
    InvalidateRect(tab, nullptr, FALSE);
  }
}

// The text field is part of the edited profile as it is typed.
void CKeyboardDlg::TextEdited() {
  wchar_t text[kAuxTextUnits] = {};
  GetDlgItemTextW(hwnd(), kTextFieldId, text, kAuxTextUnits);
  std::copy(std::begin(text), std::end(text), std::begin(buffers::ConfigInfo.text));
  UpdateProfileMarks();
}

void CKeyboardDlg::UpdateKey(int entry, const MacroNameLookup& macroName) {
  const KeyLayoutEntry& key = KeyLayoutTable[entry];
  if (EmptyRect(key)) return;  // never seen, never clicked
  const int p = key.position;
  const bool changed = !(buffers::KeyMatrix[p] == DefaultMatrix[p]);
  CGDIBitmapBtn& button = keys_[entry];
  button.SetChecked(changed);  // repaints only when the mark changes
  const std::wstring caption = changed ? KeyCaption(p, macroName) : std::wstring();
  // A key that never had a caption has no tooltip to clear.
  if (!button.tooltip().text().empty() || !caption.empty()) button.SetTooltip(caption);
  NameKeyButton(button, p, caption);
}

void CKeyboardDlg::RefreshKeys() {
  // Each macro is read from the store once per refresh: the check for
  // macros that are gone and the captions share the answer.
  std::map<std::uint32_t, std::optional<std::wstring>> names;
  const MacroNameLookup macroName = [&names](std::uint32_t id) {
    auto [known, added] = names.try_emplace(id);
    if (added) known->second = StoredMacroName(id);
    return known->second;
  };
  const auto macroStored = [&macroName](std::uint32_t id) { return macroName(id).has_value(); };
  for (const KeyLayoutEntry& key : KeyLayoutTable)
    DropMissingMacro(key.position, currentProfile(), macroStored);
  if (captionsOn_)
    for (int entry = 0; entry < kKeyButtons; ++entry) UpdateKey(entry, macroName);
  UpdateProgramLink();
  // Set only when it differs: setting the same text again costs a trip to
  // the window system and moves the caret of a field being typed in.
  const std::u16string_view text = buffers::ConfigInfo.Text();
  const std::wstring wanted(text.begin(), text.end());
  wchar_t shown[kAuxTextUnits] = {};
  GetDlgItemTextW(hwnd(), kTextFieldId, shown, kAuxTextUnits);
  if (wanted != shown) SetDlgItemTextW(hwnd(), kTextFieldId, wanted.c_str());
  SelectProfileButton(currentProfile());
  UpdateProfileMarks();
}

void CKeyboardDlg::ShowKeyButtons() {
  for (CGDIBitmapBtn& key : keys_)
    if (key.hwnd()) ShowWindow(key.hwnd(), SW_SHOW);
}

void CKeyboardDlg::EditKey(int entry) {
  CSettingDlg dialog;
  dialog.assignment().position = KeyLayoutTable[entry].position;
  if (dialog.RunModal(hwnd()) != IDOK) return;
  if (!hwnd()) return;  // the page went while the dialog ran
  if (ApplyKeyAssignment(dialog.assignment(), currentProfile()) == KeyEditResult::MacroLimit)
    ShowMessageBox(Language.str_macrolimit);
  // Every button of this position shows the change.
  for (int other = 0; other < kKeyButtons; ++other)
    if (KeyLayoutTable[other].position == KeyLayoutTable[entry].position) UpdateKey(other, StoredMacroName);
  UpdateProfileMarks();
}

// Unapplied edits are dropped only when the user says so: OK drops them and
// shows the other profile, closing the question keeps them on this one.
void CKeyboardDlg::SwitchProfile(int profile) {
  if (profile == currentProfile()) return;
  if (session_.HasUnappliedEdits() && ShowMessageBox(Language.str_unapplied_prompt) != IDOK) {
    SelectProfileButton(currentProfile());
    return;
  }
  if (!hwnd()) return;  // the page went while the question was open
  session_.ShowProfile(profile);
  RefreshKeys();
}

void CKeyboardDlg::Restore() {
  if (ShowMessageBox(Language.str_msg5) != IDOK) return;
  session_.RestoreDefaults();
  StartDownload(true);
}

void CKeyboardDlg::Apply() {
  wchar_t text[kAuxTextUnits] = {};
  GetDlgItemTextW(hwnd(), kTextFieldId, text, kAuxTextUnits);
  std::copy(std::begin(text), std::end(text), std::begin(buffers::ConfigInfo.text));
  StartDownload(true);
}

void CKeyboardDlg::StartDownload(bool withProgressBox) {
  if (!withProgressBox) {
    session_.StartDownload(nullptr);
    return;
  }
  DownloadProgressBox box(session_);
  box.RunModal(hwnd());
}

void CKeyboardDlg::ChangeRate() {
  if (ChangeReportRate(buffers::ConfigInfo.reportRate, session_.Presence().rateChangePending, hwnd()))
    session_.RateChangeSent();
  UpdateProfileMarks();
}

// The download runs on a worker of its own, which posts 0x709 when the image
// is ready for the burn tool. One at a time, and none while the tool runs.
void CKeyboardDlg::StartFirmwareDownload() {
  if (firmwareDownloadRunning_ || FirmwareUpdateActive) return;
  const FirmwareOffer offer = NewFirmwareLocation();
  const std::wstring folder = ProgramFolder();
  HWND page = hwnd();
  firmwareDownloadRunning_ = StartDetachedThread([offer, folder, page] {
    const FirmwareDownloadResult result = DownloadFirmwareImage(offer, folder);
    if (result == FirmwareDownloadResult::Ready) PostMessageW(page, WM_START_BURN_TOOL, 0, 0);
    else PostMessageW(page, WM_FIRMWARE_NOT_READY, WPARAM(result), 0);
  });
}

void CKeyboardDlg::StartBurnTool() {
  firmwareDownloadRunning_ = false;
  if (FirmwareUpdateActive) return;  // the burn tool already runs
  // Set before the start: the keyboard leaves the bus as soon as the tool
  // puts it into its loader, which must not end the program.
  FirmwareUpdateActive = true;
  const std::wstring tool = ProgramFolder() + L"FWUpdate\\Q730XBurn.exe";
  if (!StartWatchedBurnTool(tool, GetParent(hwnd()))) {
    // No tool to report back: say the update failed and carry on as before.
    FirmwareUpdateActive = false;
    ShowMessageBox(Language.str_updateover2);
    return;
  }
  PostMessageW(GetParent(hwnd()), 0x70A, 1, 0);
}

bool CKeyboardDlg::OnCommand(HWND control, int code, int id) {
  if (control) {
    bool ours = true;
    if (control == restore_.hwnd()) Restore();
    else if (control == apply_.hwnd()) Apply();
    else if (control == rate_.hwnd()) ChangeRate();
    else if (control == linkBox_.hwnd()) ToggleProgramLink();
    else if (control == programName_.hwnd()) ChooseLinkedProgram();
    else {
      ours = false;
      if (id == kTextFieldId && code == EN_CHANGE) return TextEdited(), true;
      for (int i = 0; i < 5 && !ours; ++i)
        if (control == profiles_[i].hwnd()) SwitchProfile(i), ours = true;
      for (int entry = 0; entry < kKeyButtons && !ours; ++entry)
        if (control == keys_[entry].hwnd()) EditKey(entry), ours = true;
    }
    if (ours) {
      if (hwnd()) Invalidate();
      return true;
    }
  }
  return SkinnedDialog::OnCommand(control, code, id);
}

void CKeyboardDlg::PaintTexts(HDC dc) {
  if (!font_) font_ = CreateSkinFont();
  SelectedFont selected(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kTextColour);
  for (const TextRow& row : kTextRows) {
    RECT r = row.rect;
    const std::wstring& text = Language.*row.text;
    DrawTextW(dc, text.c_str(), int(text.size()), &r, kPaintedTextFlags);
  }
}

LRESULT CKeyboardDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
      SetTextColor(HDC(wParam), kTextColour);
      SetBkColor(HDC(wParam), kFieldBackground);
      return LRESULT(editBrush_.get());
    case WM_FIRMWARE_DOWNLOAD:
      StartFirmwareDownload();
      return 0;
    case WM_FIRMWARE_NOT_READY:
      // A failed download shows nothing; an image that fails its check is
      // already deleted and is said to be unusable.
      firmwareDownloadRunning_ = false;
      if (FirmwareDownloadResult(wParam) == FirmwareDownloadResult::Rejected)
        ShowMessageBox(Language.str_updateerror2);
      return 0;
    case WM_START_BURN_TOOL:
      StartBurnTool();
      return 1;
  }
  return SkinnedDialog::HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
