#include "pages/advanced_function_page.h"

#include <algorithm>

#include "markup/language_table.h"
#include "skin/modal_scope.h"
#include "skin/skin_files.h"

namespace q730x {

namespace {

// One row as the page lays it out. A row without a file request picks a folder.
struct RowLayout {
  std::wstring LanguageTable::*label;
  RECT labelRect, optionRect, pathRect, openRect;
  ActionKind kind;
  std::optional<FilePickerRequest> file;
};

const RowLayout kRowLayouts[CDlgAdvance::kRows] = {
    {&LanguageTable::str_advanced_sound, {41, 36, 97, 56}, {21, 37, 38, 54}, {103, 36, 263, 52},
     {273, 33, 349, 55}, ACTION_PLAY_SOUND,
     FilePickerRequest{L".wav*", L"*.wav*", L"(*.wav*)|*.wav*||", L"c:\\Windows\\Media"}},
    {&LanguageTable::str_advanced_exe, {41, 63, 97, 83}, {21, 63, 38, 80}, {103, 63, 262, 79},
     {273, 59, 349, 81}, ACTION_RUN_PROGRAM,
     FilePickerRequest{L".exe", L"*.exe", L"(*.exe)|*.exe||", L"c:\\Program Files"}},
    {&LanguageTable::str_advanced_file, {41, 89, 97, 109}, {21, 88, 38, 105}, {103, 89, 262, 105},
     {273, 86, 349, 108}, ACTION_OPEN_FILE,
     FilePickerRequest{L".", L"*.*", L"(*.*)|*.*||", L"D:\\"}},
    {&LanguageTable::str_advanced_dir, {41, 116, 97, 136}, {21, 114, 38, 131}, {103, 116, 262, 132},
     {273, 113, 349, 135}, ACTION_OPEN_FOLDER, std::nullopt},
};

constexpr COLORREF kLabelColour = RGB(88, 95, 105);
constexpr int kDoubleClicked = BN_DOUBLECLICKED;  // 5

}  // namespace

CDlgAdvance::CDlgAdvance(int position)
    : SettingPage(kTemplate, {370, 169}, L"advanced", L"Advanced"), position_(position) {}

void CDlgAdvance::SetPathPicker(PathPicker* picker) {
  picker_ = picker ? picker : &platformPicker_;
}

bool CDlgAdvance::OnInitDialog() {
  SetWindowTextW(hwnd(), kWindowText);
  LoadSettingSkin();
  DragParentInstead();
  for (int r = 0; r < kRows; ++r) {
    const RowLayout& layout = kRowLayouts[r];
    Row& row = rows_[r];
    CreateSkinButton(row.option, layout.optionRect);
    row.option.SetCheckMode(true);
    row.option.SetUserValue(MakeActionCode(layout.kind, std::uint8_t(position_)).Value());
    CreateSkinButton(row.open, layout.openRect, Language.str_advanced_open);
    // The path field is a check button that is never checked.
    CreateSkinButton(row.path, layout.pathRect);
    row.path.SetCheckMode(true);
    row.path.SetTooltip(Language.str_msg7);
    // The option's label is painted; each Open names its row.
    row.option.SetAccessibleName(Language.*layout.label);
    row.open.SetAccessibleName(Language.str_advanced_open + L", " + Language.*layout.label);
  }
  return true;
}

void CDlgAdvance::Check(int row) {
  for (int r = 0; r < kRows; ++r) rows_[r].option.SetChecked(r == row);
}

void CDlgAdvance::Pick(int row) {
  Check(row);
  std::optional<std::wstring> path;
  {
    // A close request that arrives while the picker runs waits for it.
    ModalScope scope;
    const RowLayout& layout = kRowLayouts[row];
    path = layout.file ? picker_->PickFile(*layout.file) : picker_->PickFolder();
  }
  if (!path || !hwnd()) return;  // cancelled: the field keeps its text
  rows_[row].path.SetText(*path);
  rows_[row].path.SetTooltip(*path);
}

bool CDlgAdvance::OnCommand(HWND control, int code, int id) {
  for (int r = 0; r < kRows && control; ++r) {
    Row& row = rows_[r];
    if (control == row.open.hwnd() || (control == row.path.hwnd() && code == kDoubleClicked)) {
      Pick(r);
      break;
    }
    if (control == row.option.hwnd()) {
      Check(r);
      break;
    }
  }
  return SettingPage::OnCommand(control, code, id);
}

void CDlgAdvance::ReadChoice(KeyAssignment& assignment) const {
  assignment.code = KeyCode{};
  for (const Row& row : rows_) {
    if (!row.option.checked() || row.path.text().empty()) continue;
    assignment.code = KeyCode::FromValue(row.option.userValue().value_or(0));
    const std::wstring& path = row.path.text();
    const size_t units = std::min<size_t>(path.size(), kAuxTextUnits - 1);
    std::fill(std::begin(assignment.aux), std::end(assignment.aux), u'\0');
    std::copy_n(path.begin(), units, assignment.aux);
    return;
  }
}

void CDlgAdvance::PaintTexts(HDC dc) {
  if (!font_) font_ = CreateSkinFont();
  SelectedFont selected(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kLabelColour);
  for (const RowLayout& layout : kRowLayouts) {
    const std::wstring& label = Language.*layout.label;
    RECT r = layout.labelRect;
    DrawTextW(dc, label.c_str(), int(label.size()), &r,
              DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS | DT_NOCLIP);
  }
}

}  // namespace q730x
