// The macro manager's step editing: deleting a step, the insert panel with
// its key and pause options, and modifying the selected step. Every
// confirmed change is saved at once; no edit lets the list begin with a pause.
#include <windows.h>

#include "device/key_tap_binding.h"
#include "markup/language_table.h"
#include "pages/macro_manager.h"
#include "pages/macro_steps.h"
#include "pages/message_box.h"

namespace q730x {

void CMacroDlg::DeleteStep() {
  const int selected = steps_.selection();
  if (selected < 0) return;
  if (selected == 0 && steps_.count() > 1 && IsPauseStep(steps_.data(1))) {
    ShowMessageBox(Language.str_macro_msg2);
    return;
  }
  SendMessageW(steps_.hwnd(), LB_DELETESTRING, selected, 0);
  if (steps_.count() == 0) return;  // an empty list is never saved
  SendMessageW(steps_.hwnd(), LB_SETCURSEL, selected < steps_.count() ? selected : selected - 1, 0);
  SaveSelected();
}

void CMacroDlg::OpenInsertPanel() {
  ShowWindow(upperCover_.hwnd(), SW_HIDE);
  ShowWindow(keyOption_.hwnd(), SW_SHOW);
  ShowWindow(pauseOption_.hwnd(), SW_SHOW);
}

void CMacroDlg::OpenValueField(bool focus) {
  SetFieldText(kValueFieldId, L"");
  ShowWindow(Field(kValueFieldId), SW_SHOW);
  ShowWindow(ok_.hwnd(), SW_SHOW);
  ShowWindow(lowerCover_.hwnd(), SW_HIDE);
  if (focus) SetFocus(Field(kValueFieldId));
}

void CMacroDlg::ChooseKeyOption() {
  keyOption_.SetChecked(true);
  pauseOption_.SetChecked(false);
  OpenValueField(false);
  StartKeyCapture();
}

void CMacroDlg::ChoosePauseOption() {
  keyOption_.SetChecked(false);
  pauseOption_.SetChecked(true);
  OpenValueField(true);
  StopKeyCapture();
}

void CMacroDlg::Modify() {
  OpenValueField(true);
  const int selected = steps_.selection();
  if (selected >= 0 && IsKeyStep(steps_.data(selected))) StartKeyCapture();
}

void CMacroDlg::ClosePanels() {
  keyOption_.SetChecked(false);
  pauseOption_.SetChecked(false);
  ShowWindow(keyOption_.hwnd(), SW_HIDE);
  ShowWindow(pauseOption_.hwnd(), SW_HIDE);
  ShowWindow(Field(kValueFieldId), SW_HIDE);
  ShowWindow(ok_.hwnd(), SW_HIDE);
  ShowWindow(upperCover_.hwnd(), SW_SHOW);
  ShowWindow(lowerCover_.hwnd(), SW_SHOW);
}

void CMacroDlg::Confirm() {
  if (IsWindowVisible(keyOption_.hwnd())) {
    const bool noSelection = steps_.selection() < 0;
    if (pauseOption_.checked() && PauseWouldLead(StepEntries(), steps_.selection())) {
      // Before the first step, or as the first entry of an empty list.
      ShowMessageBox(Language.str_macro_msg2);
    } else {
      InsertBeforeSelection();
      if (noSelection) {
        ClosePanels();
        StopKeyCapture();
        if (!recording_) KeyTap.RemoveHook();
      }
    }
  } else {
    ModifySelection();
  }
  SaveSelected();
  capturedKey_ = 0;
}

void CMacroDlg::InsertBeforeSelection() {
  const int selected = steps_.selection();
  if (keyOption_.checked()) {
    StopKeyCapture();
    if (capturedKey_ != 0) {
      const std::uint32_t press = MakeStep(STEP_PRESS, capturedKey_);
      const std::uint32_t release = MakeStep(STEP_RELEASE, capturedKey_);
      steps_.InsertEntry(selected, StepText(press), STEP_PRESS, capturedKey_);
      steps_.InsertEntry(selected < 0 ? -1 : selected + 1, StepText(release), STEP_RELEASE, capturedKey_);
    }
  } else if (pauseOption_.checked()) {
    if (const std::optional<std::uint32_t> ms = ReadDecimal(FieldText(kValueFieldId))) {
      const PauseInsertion plan = PlanPauseInsertion(StepEntries(), selected, *ms);
      const std::uint32_t pause = MakeStep(STEP_PAUSE, plan.resultMs);
      if (plan.kind == PauseInsertion::AddToEntry) {
        steps_.ReplaceEntry(plan.index, StepText(pause), STEP_PAUSE, plan.resultMs);
      } else {
        steps_.InsertEntry(plan.index, StepText(pause), STEP_PAUSE, plan.resultMs);
      }
    }
  }
  ClosePanels();
}

void CMacroDlg::ModifySelection() {
  const int selected = steps_.selection();
  const std::uint32_t entry = selected >= 0 ? steps_.data(selected) : 0;
  if (selected >= 0 && IsKeyStep(entry)) {
    StopKeyCapture();
    if (capturedKey_ != 0) {
      // A changed press changes its release too, so that no key is left held.
      const std::optional<std::size_t> release = MatchingRelease(StepEntries(), std::size_t(selected));
      const std::uint32_t step = MakeStep(StepKindOf(entry), capturedKey_);
      steps_.ReplaceEntry(selected, StepText(step), StepKindOf(entry), capturedKey_);
      if (release)
        steps_.ReplaceEntry(int(*release), StepText(MakeStep(STEP_RELEASE, capturedKey_)), STEP_RELEASE, capturedKey_);
    }
  } else if (selected >= 0 && IsPauseStep(entry)) {
    if (const std::optional<std::uint32_t> ms = ReadDecimal(FieldText(kValueFieldId))) {
      const std::uint32_t value = std::min<std::uint32_t>(*ms, kMaxMacroId);
      steps_.ReplaceEntry(selected, StepText(MakeStep(STEP_PAUSE, value)), STEP_PAUSE, value);
    }
  }
  ShowWindow(Field(kValueFieldId), SW_HIDE);
  ShowWindow(ok_.hwnd(), SW_HIDE);
  ShowWindow(upperCover_.hwnd(), SW_SHOW);
  ShowWindow(lowerCover_.hwnd(), SW_SHOW);
}

}  // namespace q730x
