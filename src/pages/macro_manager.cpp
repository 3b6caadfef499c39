#include "pages/macro_manager.h"

#include <windows.h>

#include "device/key_tap_binding.h"
#include "markup/language_table.h"
#include "model/profile_buffers.h"
#include "pages/macro_steps.h"
#include "pages/message_box.h"
#include "pages/step_key_names.h"
#include "markup/access_texts.h"
#include "skin/keyboard_focus.h"
#include "skin/skin_files.h"
#include "skin/spoken_label.h"
#include "skin/skin_scroll_wnd.h"

namespace q730x {

std::uint32_t CMacroDlg::lastStepKey_ = 0;
LPARAM CMacroDlg::lastStepFlags_ = 0;

namespace {

constexpr SIZE kPageSize{822, 448};
constexpr int kPageBitmaps[3] = {155, 156, 157};  // normal (also the background), hover, pressed
constexpr int kScrollBitmap = 176;

constexpr RECT kMacroListRect{97, 43, 308, 289};
constexpr RECT kStepListRect{317, 43, 528, 289};
constexpr RECT kRepeatFieldRect{681, 115, 721, 131};
constexpr RECT kValueFieldRect{585, 245, 667, 261};
constexpr RECT kUpperCoverRect{559, 185, 729, 228};
constexpr RECT kLowerCoverRect{555, 232, 740, 268};
constexpr int kFieldLimit = 5;
// Where every button of the page lies, from Start recording to the mouse's buttons.
constexpr RECT kButtonArea{97, 43, 758, 349};

constexpr COLORREF kListText = RGB(56, 69, 89);
constexpr COLORREF kListSelectedBack = RGB(20, 20, 20);
constexpr COLORREF kListSelectedText = RGB(23, 148, 195);
constexpr COLORREF kFieldText = RGB(23, 148, 195);
constexpr COLORREF kFieldBack = RGB(15, 15, 15);
constexpr COLORREF kLabelColour = RGB(88, 99, 105);

constexpr UINT kMouseStepMessage = kMouseReportMessage;  // 0x70D from the mouse buttons

struct Label {
  std::wstring LanguageTable::*text;
  RECT rect;
};
constexpr Label kLabels[] = {
    {&LanguageTable::str_macro_list, {95, 20, 308, 40}},
    {&LanguageTable::str_macro_event, {315, 20, 527, 40}},
    {&LanguageTable::str_macro_loop, {585, 115, 676, 130}},
    {&LanguageTable::str_macro_playstyle2, {585, 137, 819, 153}},
    {&LanguageTable::str_macro_playstyle3, {585, 158, 779, 172}},
    {&LanguageTable::str_macro_insert3, {585, 192, 676, 205}},
    {&LanguageTable::str_macro_insert4, {585, 212, 676, 227}},
};

std::wstring ListText(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }
std::u16string RecordText(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

CMacroDlg::CMacroDlg(MacroRoot root)
    : SkinnedDialog(kTemplate, kPageSize, DialogKeys::Swallowed), root_(std::move(root)) {}

bool CMacroDlg::OnInitDialog() {
  SetWindowTextW(hwnd(), kWindowText);
  LoadEmbeddedBitmaps(kPageBitmaps[0], kPageBitmaps[1], kPageBitmaps[2]);
  KeepButtonArea(kButtonArea);
  DragParentInstead();
  fieldBrush_.reset(CreateSolidBrush(kFieldBack));
  font_ = CreateSkinFont();
  CreateControls();
  FillMacroList();
  currentIndex_ = macros_.selection();
  LoadSelectedMacro();
  return true;
}

void CMacroDlg::SetUpList(CListBoxEx& list, int id, RECT rect, bool rename) {
  if (!list.Create(hwnd(), rect, id)) return;
  list.SetBackgroundColour(RGB(0, 0, 0));
  list.SetTextColour(kListText);
  list.SetSelectedBackColour(kListSelectedBack);
  list.SetSelectedTextColour(kListSelectedText);
  list.SetEntryHeight(18);
  list.SetInPlaceEdit(rename);
  if (scrollBitmap_) WrapWithSkinScroll(list.hwnd(), scrollBitmap_.get());
}

void CMacroDlg::CreateControls() {
  scrollBitmap_.reset(LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kScrollBitmap)));
  SetUpList(macros_, kMacroListId, kMacroListRect, true);
  SetUpList(steps_, kStepListId, kStepListRect, false);
  // The icons show a step's direction; readers hear it as a word.
  steps_.SetSpokenWord(STEP_PRESS, Access.str_step_down);
  steps_.SetSpokenWord(STEP_RELEASE, Access.str_step_up);
  steps_.SetSpokenWord(STEP_PAUSE, Access.str_step_pause);

  const LanguageTable& t = Language;
  CreateSkinButton(record_, {563, 43, 688, 70});
  SetRecordCaption(t.str_macro_start);
  record_.SetAccelerator(L'R');
  CreateSkinButton(new_, {97, 302, 123, 327});
  new_.SetTooltip(t.str_macro_new);
  CreateSkinButton(delete_, {124, 302, 150, 327});
  delete_.SetTooltip(t.str_macro_del);
  CreateSkinButton(insert_, {317, 302, 343, 327});
  insert_.SetTooltip(t.str_macro_insert5);
  CreateSkinButton(deleteStep_, {344, 302, 370, 327});
  deleteStep_.SetTooltip(t.str_macro_delitem);
  CreateSkinButton(modify_, {371, 302, 398, 327});
  modify_.SetTooltip(t.str_macro_modify);
  CreateSkinButton(skipPauses_, {563, 83, 758, 96}, t.str_macro_insert1);
  skipPauses_.SetCheckMode(true);
  skipPauses_.SetTextRect({22, 0, 195, 13});
  skipPauses_.SetTooltip(t.str_macro_insert1);

  const RECT modeRects[3] = {{563, 116, 578, 130}, {563, 136, 578, 151}, {563, 158, 578, 172}};
  for (int i = 0; i < 3; ++i) {
    CreateSkinButton(modes_[i], modeRects[i]);
    modes_[i].SetCheckMode(true);
  }
  modes_[kModeRepeat].SetChecked(true);

  // The insert panel: two options and the value field with its OK button,
  // each under a cover while not in use.
  CreateSkinButton(keyOption_, {563, 192, 579, 206});
  keyOption_.SetCheckMode(true);
  CreateSkinButton(pauseOption_, {563, 212, 579, 227});
  pauseOption_.SetCheckMode(true);
  CreateSkinButton(ok_, {672, 237, 724, 263}, t.str_OK);
  ShowWindow(keyOption_.hwnd(), SW_HIDE);
  ShowWindow(pauseOption_.hwnd(), SW_HIDE);
  ShowWindow(ok_.hwnd(), SW_HIDE);
  RECT coversArea;
  UnionRect(&coversArea, &kUpperCoverRect, &kLowerCoverRect);
  const SharedPicture covers = CoverPicture(coversArea);
  for (auto [cover, rect] : {std::pair{&upperCover_, kUpperCoverRect}, std::pair{&lowerCover_, kLowerCoverRect}}) {
    cover->Create(hwnd(), rect);
    if (covers) {
      OffsetRect(&rect, -coversArea.left, -coversArea.top);
      cover->SetImages(covers, covers, covers, covers, rect);
    } else {
      const SharedPicture& page = NormalPicture();
      cover->SetImages(page, page, page, page, rect);
    }
  }

  const RECT mouseRects[3] = {{622, 300, 652, 349}, {657, 300, 678, 348}, {683, 300, 713, 349}};
  const std::wstring* mouseTips[3] = {&t.str_mouse_left, &t.str_mouse_middle, &t.str_mouse_right};
  for (int i = 0; i < 3; ++i) {
    CreateSkinButton(mouse_[i], mouseRects[i]);
    mouse_[i].SetTooltip(*mouseTips[i]);
    mouse_[i].SetMouseReport(true);
  }

  // The two fields of the template, at their places on the page picture.
  for (auto [id, rect] : {std::pair{kRepeatFieldId, kRepeatFieldRect}, std::pair{kValueFieldId, kValueFieldRect}}) {
    HWND field = Field(id);
    if (!field) continue;
    MoveWindow(field, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, FALSE);
    SendMessageW(field, EM_LIMITTEXT, kFieldLimit, 0);
    SendMessageW(field, WM_SETFONT, WPARAM(font_.get()), FALSE);
  }
  loading_ = true;
  SetFieldText(kRepeatFieldId, L"1");
  loading_ = false;
  ShowWindow(Field(kValueFieldId), SW_HIDE);
  MakeUsableByKeys();
}

// Names for screen readers where the page paints its texts, and Tab in
// reading order: the macros with their buttons, the steps with theirs, then
// the right-hand panel top to bottom and the mouse buttons.
void CMacroDlg::MakeUsableByKeys() {
  const LanguageTable& t = Language;
  const std::wstring* modeNames[3] = {&t.str_macro_loop, &t.str_macro_playstyle2, &t.str_macro_playstyle3};
  for (int i = 0; i < 3; ++i) modes_[i].SetAccessibleName(*modeNames[i]);
  keyOption_.SetAccessibleName(t.str_macro_insert3);
  pauseOption_.SetAccessibleName(t.str_macro_insert4);
  // The covers only hide the panel parts not in use; they do nothing.
  upperCover_.SetAccessibleName(t.str_macro_insert5);
  lowerCover_.SetAccessibleName(t.str_macro_modify);
  SetWindowTextW(macros_.hwnd(), t.str_macro_list.c_str());
  SetWindowTextW(steps_.hwnd(), t.str_macro_event.c_str());
  // The lists sit inside their scroll frames; a frame is what lies among the page's controls.
  HWND macroFrame = GetAncestor(macros_.hwnd(), GA_PARENT), stepFrame = GetAncestor(steps_.hwnd(), GA_PARENT);
  if (macroFrame == hwnd()) macroFrame = macros_.hwnd();
  else if (GetParent(macroFrame) != hwnd()) macroFrame = GetParent(macroFrame);
  if (stepFrame == hwnd()) stepFrame = steps_.hwnd();
  else if (GetParent(stepFrame) != hwnd()) stepFrame = GetParent(stepFrame);
  HWND repeat = Field(kRepeatFieldId), value = Field(kValueFieldId);
  ArrangeTabOrder({macroFrame, new_.hwnd(), delete_.hwnd(), stepFrame, insert_.hwnd(), deleteStep_.hwnd(),
                   modify_.hwnd(), record_.hwnd(), skipPauses_.hwnd(), modes_[0].hwnd(), repeat, modes_[1].hwnd(),
                   modes_[2].hwnd(), keyOption_.hwnd(), pauseOption_.hwnd(), upperCover_.hwnd(), value, ok_.hwnd(),
                   lowerCover_.hwnd(), mouse_[0].hwnd(), mouse_[1].hwnd(), mouse_[2].hwnd()});
  CreateSpokenLabel(hwnd(), {95, 20, 308, 40}, t.str_macro_list, macroFrame);
  CreateSpokenLabel(hwnd(), {315, 20, 527, 40}, t.str_macro_event, stepFrame);
  CreateSpokenLabel(hwnd(), {681, 100, 721, 114}, Access.str_macro_count, repeat);
  CreateSpokenLabel(hwnd(), {585, 232, 667, 244}, Access.str_macro_value, value);
}

// The covers show the page's panel without the options under them: the page
// picture of `area`, where both covers lie, with each cover painted in the
// panel's own colour. Only that area is copied, not the whole page.
SharedPicture CMacroDlg::CoverPicture(RECT area) const {
  const SharedPicture part = Picture::Part(NormalPicture(), area);
  UniqueBitmap picture = part ? part->ToBitmap() : UniqueBitmap();
  if (!picture) return nullptr;
  {
    MemoryDc to(nullptr);
    if (!to.Adopt(std::move(picture))) return nullptr;
    for (RECT cover : {kUpperCoverRect, kLowerCoverRect}) {
      OffsetRect(&cover, -area.left, -area.top);
      UniqueBrush panel(CreateSolidBrush(GetPixel(to.get(), cover.left + 1, cover.top + 1)));
      FillRect(to.get(), &cover, panel.get());
    }
    picture = to.TakeSurface();  // deselected before it is shared
  }
  return Picture::FromBitmap(std::move(picture));
}

std::wstring CMacroDlg::FieldText(int id) const {
  wchar_t text[64] = {};
  GetWindowTextW(Field(id), text, 64);
  return text;
}

void CMacroDlg::SetFieldText(int id, const std::wstring& text) { SetWindowTextW(Field(id), text.c_str()); }

void CMacroDlg::PaintTexts(HDC dc) {
  SelectedFont selected(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kLabelColour);
  for (const Label& label : kLabels) {
    const std::wstring& text = Language.*label.text;
    RECT r = label.rect;
    DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  }
}

// ---- lists ----

void CMacroDlg::FillMacroList() {
  std::vector<MacroListEntry> stored;
  ListMacros(root_, stored);
  SendMessageW(macros_.hwnd(), WM_SETREDRAW, FALSE, 0);
  macros_.RemoveAll();
  for (const MacroListEntry& macro : stored) macros_.AddEntry(macro.id, ListText(macro.name));
  SendMessageW(macros_.hwnd(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(macros_.hwnd(), nullptr, TRUE);
}

void CMacroDlg::RefillMacroList() {
  const int before = macros_.selection();
  const std::uint32_t shownId = before >= 0 ? macros_.data(before) : 0;
  FillMacroList();
  // The step list stays as the user left it, so the macro it belongs to stays
  // selected: with another one selected, the next edit would store these
  // steps into that other macro. When that macro is gone, the selected one's
  // steps are shown instead.
  for (int i = 0, n = macros_.count(); i < n && shownId != 0; ++i)
    if (macros_.data(i) == shownId) {
      SendMessageW(macros_.hwnd(), LB_SETCURSEL, i, 0);
      currentIndex_ = i;
      return;
    }
  currentIndex_ = macros_.selection();
  LoadSelectedMacro();
}

void CMacroDlg::OnMacroSelected() {
  // The list's own selection, not the entry under the pointer: keys move the
  // selection too, and the steps shown must always be the selected macro's.
  const int selected = macros_.selection();
  if (selected == currentIndex_) return;
  if (recording_) StopRecordingInto(currentIndex_);
  currentIndex_ = selected;
  LoadSelectedMacro();
}

void CMacroDlg::SetMode(int mode) {
  for (int i = 0; i < 3; ++i) modes_[i].SetChecked(i == mode);
}

void CMacroDlg::LoadSelectedMacro() {
  loading_ = true;
  for (CGDIBitmapBtn& mode : modes_) mode.SetChecked(false);
  const int selected = macros_.selection();
  const std::optional<MacroRecord> record =
      selected >= 0 ? ReadMacro(root_, macros_.data(selected)) : std::nullopt;
  if (!record) {
    steps_.RemoveAll();
    SetFieldText(kRepeatFieldId, L"1");
    SetMode(kModeRepeat);
  } else {
    switch (record->playMode()) {
      case MACRO_PLAY_REPEAT: SetMode(kModeRepeat); break;
      case MACRO_PLAY_MODE_3: SetMode(kModeToggle); break;
      case MACRO_PLAY_MODE_2: SetMode(kModeHeld); break;
      default: SetMode(kModeRepeat); break;
    }
    SetFieldText(kRepeatFieldId, RepeatFieldTextOf(*record));
    const RecordSteps loaded = StepsOfRecord(*record);
    if (loaded.stoppedEarly) OutputDebugStringW(L"LoadMacroToList:  Not a vaild item\n");
    ShowSteps(loaded.steps, -1);
  }
  loading_ = false;
}

void CMacroDlg::ShowSteps(const std::vector<std::uint32_t>& steps, int select) {
  SendMessageW(steps_.hwnd(), WM_SETREDRAW, FALSE, 0);
  steps_.RemoveAll();
  for (std::uint32_t step : steps) steps_.AddEntry(StepValueOf(step), StepText(step), StepKindOf(step));
  if (select >= 0) SendMessageW(steps_.hwnd(), LB_SETCURSEL, select, 0);
  SendMessageW(steps_.hwnd(), WM_SETREDRAW, TRUE, 0);
  InvalidateRect(steps_.hwnd(), nullptr, TRUE);
}

std::vector<std::uint32_t> CMacroDlg::StepEntries() const {
  std::vector<std::uint32_t> entries;
  for (int i = 0, n = steps_.count(); i < n; ++i) entries.push_back(steps_.data(i));
  return entries;
}

// ---- saving ----

void CMacroDlg::SaveMacroAt(int index) {
  if (loading_ || index < 0 || index >= macros_.count()) return;
  std::vector<std::uint32_t> entries = StepEntries();
  // Adjacent pauses become one, in the list as well; the merged one is selected.
  const int merged = MergeAdjacentPauses(entries);
  if (merged >= 0) ShowSteps(entries, merged);
  MacroBuildInput input;
  input.id = macros_.data(index);
  input.name = RecordText(macros_.text(index));
  input.repeatField = RecordText(FieldText(kRepeatFieldId));
  input.secondModeOn = modes_[kModeHeld].checked();
  input.thirdModeOn = modes_[kModeToggle].checked();
  if (const std::optional<MacroRecord> record = BuildMacroRecord(entries, input))
    WriteMacro(root_, *record);
}

// ---- recording ----

void CMacroDlg::ToggleRecording() {
  if (recording_) return StopRecordingInto(macros_.selection());
  if (macros_.selection() < 0) return;
  StartRecording();
}

// The caption is also the button's window text, which tools and tests can read.
void CMacroDlg::SetRecordCaption(const std::wstring& caption) {
  record_.SetText(caption, 14);  // clear of the record dot
  SetWindowTextW(record_.hwnd(), caption.c_str());
}

void CMacroDlg::StartRecording() {
  SetRecordCaption(Language.str_macro_end);
  steps_.RemoveAll();
  lastStepTime_ = 0;
  limitShown_ = false;
  KeyTap.InstallHook();
  KeyTap.SetParentWindow(hwnd());
  KeyTap.SetFilterKey(1);
  KeyTap.SetHookStatus(true);
  recording_ = true;
  heldAtStart_.reset();
  for (int key = 1; key < 256; ++key)
    if (GetAsyncKeyState(key) & 0x8000) heldAtStart_.set(std::size_t(key));
  stepsBeforeAlt_ = -1;
}

bool CMacroDlg::PreTranslateMessage(MSG& message) {
  const bool altR = message.message == WM_SYSKEYDOWN && message.wParam == 'R' && (message.lParam & (1 << 29));
  if (altR && IsWindowVisible(hwnd()) && (message.hwnd == hwnd() || IsChild(hwnd(), message.hwnd))) {
    if (recording_ && stepsBeforeAlt_ >= 0)
      for (int i = steps_.count() - 1; i >= stepsBeforeAlt_; --i)
        SendMessageW(steps_.hwnd(), LB_DELETESTRING, WPARAM(i), 0);
    ToggleRecording();
    return true;
  }
  return SkinnedDialog::PreTranslateMessage(message);
}

void CMacroDlg::StopRecording() {
  if (recording_) StopRecordingInto(macros_.selection());
}

// Steps recorded so far are kept when the program ends mid-recording.
void CMacroDlg::EndForExit() {
  StopRecording();
  KeyTap.SetHookStatus(false);
}

void CMacroDlg::StopRecordingInto(int index) {
  SetRecordCaption(Language.str_macro_start);
  KeyTap.SetHookStatus(false);
  KeyTap.RemoveHook();
  recording_ = false;
  // Keys still down when the recording ended (or when the step limit cut it)
  // are let go at its end, so the keyboard never keeps a key held.
  for (std::uint32_t release : ClosingReleases(StepEntries()))
    steps_.AddEntry(StepValueOf(release), StepText(release), STEP_RELEASE);
  SaveMacroAt(index);
}

void CMacroDlg::OnKeyReport(std::uint32_t virtualKey, LPARAM flags) {
  const bool release = (flags & kKeyTapRelease) != 0;
  if (virtualKey == lastStepKey_ && release == ((lastStepFlags_ & kKeyTapRelease) != 0)) return;
  if (capturing_) {
    SetFieldText(kValueFieldId, StepKeyName(virtualKey));
    capturedKey_ = virtualKey;
    return;
  }
  // Reports still queued when recording ended are not steps.
  if (!recording_) return;
  if (virtualKey < 256 && heldAtStart_[virtualKey]) {
    heldAtStart_.reset(virtualKey);
    if (release) return;  // its press came before the recording
  }
  const bool alt = virtualKey == VK_MENU || virtualKey == VK_LMENU || virtualKey == VK_RMENU;
  if (alt) stepsBeforeAlt_ = release ? -1 : (stepsBeforeAlt_ >= 0 ? stepsBeforeAlt_ : steps_.count());
  if (steps_.count() >= kMaxRecordedSteps) return ShowStepLimitMessage();
  if (!skipPauses_.checked()) {
    const DWORD now = GetTickCount();
    if (lastStepTime_ != 0) {
      const std::uint32_t pause = MakeStep(STEP_PAUSE, now - lastStepTime_);
      steps_.AddEntry(StepValueOf(pause), StepText(pause), STEP_PAUSE);
    }
    lastStepTime_ = now;
    if (steps_.count() > kMaxRecordedSteps - 2) return ShowStepLimitMessage();
  }
  const std::uint32_t step = MakeStep(release ? STEP_RELEASE : STEP_PRESS, virtualKey);
  steps_.AddEntry(StepValueOf(step), StepText(step), StepKindOf(step));
  lastStepKey_ = virtualKey;
  lastStepFlags_ = flags;
}

void CMacroDlg::ShowStepLimitMessage() {
  if (limitShown_) return;
  limitShown_ = true;  // before the box: reports keep coming while it is open
  ShowMessageBox(Language.str_macro_msg3);
}

void CMacroDlg::OnMouseReport(WPARAM action, HWND button) {
  if (!recording_ && !capturing_) return;
  std::uint32_t key = 0;
  if (button == mouse_[0].hwnd()) key = VK_LBUTTON;
  if (button == mouse_[1].hwnd()) key = VK_MBUTTON;
  if (button == mouse_[2].hwnd()) key = VK_RBUTTON;
  if (key == 0) return;
  if (action == WM_LBUTTONDOWN) PostMessageW(hwnd(), kKeyTapReportMessage, key, 0);
  if (action == WM_LBUTTONUP) PostMessageW(hwnd(), kKeyTapReportMessage, key, kKeyTapRelease);
}

void CMacroDlg::StartKeyCapture() {
  KeyTap.InstallHook();
  KeyTap.SetParentWindow(hwnd());
  KeyTap.SetFilterKey(1);
  KeyTap.SetHookStatus(true);
  capturing_ = true;
}

void CMacroDlg::StopKeyCapture() {
  if (!recording_) KeyTap.SetHookStatus(false);  // a recording keeps its reports
  capturing_ = false;
}

// ---- macros ----

void CMacroDlg::NewMacro() {
  if (macros_.count() > kMaxListedMacros) return;
  // A running recording belongs to the macro it began on.
  StopRecording();
  const std::uint32_t id = NewMacroId(GetTickCount(), [this](std::uint32_t candidate) {
    for (int i = 0, n = macros_.count(); i < n; ++i)
      if (macros_.data(i) == candidate) return true;
    return ReadMacro(root_, candidate).has_value();
  });
  if (id == 0) return;
  // The record keeps at most 19 characters of a name; the list shows what it keeps.
  macros_.AddEntry(id, Language.str_macro_new.substr(0, kMacroNameUnits - 1), kEntryPlain, true);
  loading_ = true;
  steps_.RemoveAll();
  SetFieldText(kRepeatFieldId, L"1");
  SetMode(kModeRepeat);
  loading_ = false;
  currentIndex_ = macros_.selection();
}

void CMacroDlg::DeleteMacro() {
  const int selected = macros_.selection();
  if (selected < 0) {
    steps_.RemoveAll();
    return;
  }
  StopRecording();
  const std::uint32_t id = macros_.data(selected);
  bool stopped = false;
  if (ReadMacro(root_, id)) {
    for (std::size_t i = 0; i < buffers::MacroUse.size() && !stopped; ++i)
      if (buffers::MacroUse[i] == id) stopped = ShowMessageBox(Language.str_macro_msg) == IDOK;
  }
  if (stopped) {
    // The macro stays, and so do its steps: an empty list here would let the
    // next edit overwrite the stored steps.
    LoadSelectedMacro();
    return;
  }
  q730x::DeleteMacro(root_, id);
  SendMessageW(macros_.hwnd(), LB_DELETESTRING, selected, 0);
  currentIndex_ = -1;
  steps_.RemoveAll();
}

void CMacroDlg::OnRenamed(int list, int index) {
  if (list == kMacroListId) {
    std::optional<MacroRecord> record = ReadMacro(root_, macros_.data(index));
    if (!record) return;  // a new macro: its name is stored with its first steps
    record->SetName(RecordText(macros_.text(index)));
    if (!WriteMacro(root_, *record))
      MessageBoxW(hwnd(), L"      Rename Error     ", L"Warning", MB_OK);
  }
  SaveSelected();
}

void CMacroDlg::OnRepeatFieldChanged() {
  if (loading_) return;
  if (const std::optional<std::wstring> corrected = CorrectedRepeatField(FieldText(kRepeatFieldId))) {
    SetFieldText(kRepeatFieldId, *corrected);  // comes back here and saves
    return;
  }
  SaveSelected();
}

// ---- messages ----

bool CMacroDlg::OnCommand(HWND control, int code, int id) {
  if (control && id == kRepeatFieldId && code == EN_CHANGE) return OnRepeatFieldChanged(), true;
  if (!control || id != 0) return SkinnedDialog::OnCommand(control, code, id);
  if (control == record_.hwnd()) return ToggleRecording(), true;
  if (control == new_.hwnd()) return NewMacro(), true;
  if (control == delete_.hwnd()) return DeleteMacro(), true;
  if (control == deleteStep_.hwnd()) return DeleteStep(), true;
  if (control == insert_.hwnd()) return OpenInsertPanel(), true;
  if (control == modify_.hwnd()) return Modify(), true;
  if (control == keyOption_.hwnd()) return ChooseKeyOption(), true;
  if (control == pauseOption_.hwnd()) return ChoosePauseOption(), true;
  if (control == ok_.hwnd()) return Confirm(), true;
  if (control == skipPauses_.hwnd()) return skipPauses_.SetChecked(!skipPauses_.checked()), true;
  for (int i = 0; i < 3; ++i)
    if (control == modes_[i].hwnd()) {
      SetMode(i);
      SaveSelected();
      return true;
    }
  return SkinnedDialog::OnCommand(control, code, id);
}

LRESULT CMacroDlg::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kKeyTapReportMessage:
      OnKeyReport(std::uint32_t(wParam), lParam);
      return 0;
    case kMouseStepMessage:
      OnMouseReport(wParam, reinterpret_cast<HWND>(lParam));
      return 0;
    case kListSelectionMessage:
      if (wParam == kMacroListId) OnMacroSelected();
      return 0;
    case kListEditDoneMessage:
      OnRenamed(int(wParam), int(lParam));
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      SetTextColor(HDC(wParam), kFieldText);
      SetBkColor(HDC(wParam), kFieldBack);
      return LRESULT(fieldBrush_.get());
    case WM_DESTROY:
      EndForExit();
      break;
  }
  return SkinnedDialog::HandleMessage(message, wParam, lParam);
}

}  // namespace q730x
