// The macro manager: the main window's second page. The user creates, names,
// records, edits and deletes macros here and sets each one's play mode and
// repeat count. Recording and key capture go through the key hook library,
// which reports every key transition to this page (0x40A); the on-screen
// mouse buttons report theirs the same way. Every change is written to the
// macro store at once; there is no separate save.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "model/macro_store.h"
#include "skin/bitmap_button.h"
#include "skin/gdi_handles.h"
#include "skin/list_box_ex.h"
#include "skin/skinned_dialog.h"

namespace q730x {

class CMacroDlg : public SkinnedDialog {
 public:
  static constexpr int kTemplate = 132;
  static constexpr const wchar_t* kWindowText = L"KavexQ730XMacroManager";
  static constexpr int kMacroListId = 256;
  static constexpr int kStepListId = 257;
  static constexpr int kRepeatFieldId = 1001;
  static constexpr int kValueFieldId = 1002;
  // Recording takes no more steps than this.
  static constexpr int kMaxRecordedSteps = 160;
  // New refuses while the list holds more than this many macros.
  static constexpr int kMaxListedMacros = 100;

  // The store the page works on: the main window hands it the macro root.
  explicit CMacroDlg(MacroRoot root);

  // The main window shows the page: the macro list is filled again; the
  // macro whose steps are shown stays selected.
  void RefillMacroList();
  // The main window leaves the page, hides or minimises: a running recording
  // ends as the Record button ends it, which saves.
  void StopRecording();
  // The page's end: a running recording is saved and the key hook goes
  // quiet; also for a program that ends without taking its windows down.
  void EndForExit();

  bool recording() const { return recording_; }
  bool capturing() const { return capturing_; }
  CListBoxEx& macroList() { return macros_; }
  CListBoxEx& stepList() { return steps_; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(HWND control, int code, int id) override;
  void PaintTexts(HDC dc) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  // Enter, Escape and Space are recorded or captured, not typed or pressed,
  // while the page records or captures a key; otherwise they work as
  // anywhere (a space in a macro's name, Enter and Escape in its rename).
  bool SwallowsKeys() const override { return recording_ || capturing_; }
  // Alt+R starts and stops a recording from the keyboard.
  bool PreTranslateMessage(MSG& message) override;

 private:
  void MakeUsableByKeys();
  enum Mode { kModeRepeat, kModeHeld, kModeToggle };  // the three mode buttons, top to bottom

  void CreateControls();
  SharedPicture CoverPicture(RECT area) const;
  void SetUpList(CListBoxEx& list, int id, RECT rect, bool rename);
  HWND Field(int id) const { return GetDlgItem(hwnd(), id); }
  std::wstring FieldText(int id) const;
  void SetFieldText(int id, const std::wstring& text);

  // Lists and loading.
  void FillMacroList();
  void OnMacroSelected();
  void LoadSelectedMacro();
  void ShowSteps(const std::vector<std::uint32_t>& steps, int select);
  std::vector<std::uint32_t> StepEntries() const;
  void SetMode(int mode);

  // Saving: the step list into the macro at `index` of the macro list.
  void SaveMacroAt(int index);
  void SaveSelected() { SaveMacroAt(macros_.selection()); }

  // Recording.
  void SetRecordCaption(const std::wstring& caption);
  void ToggleRecording();
  void StartRecording();
  void StopRecordingInto(int index);
  void OnKeyReport(std::uint32_t virtualKey, LPARAM flags);
  void OnMouseReport(WPARAM action, HWND button);
  void ShowStepLimitMessage();
  void StartKeyCapture();
  void StopKeyCapture();

  // Macro and step commands.
  void NewMacro();
  void DeleteMacro();
  void OnRenamed(int list, int index);
  void OnRepeatFieldChanged();
  void DeleteStep();
  void OpenInsertPanel();
  void ChooseKeyOption();
  void ChoosePauseOption();
  void Modify();
  void Confirm();
  void InsertBeforeSelection();
  void ModifySelection();
  void OpenValueField(bool focus);
  void ClosePanels();

  MacroRoot root_;
  CListBoxEx macros_, steps_;
  CGDIBitmapBtn record_, new_, delete_, insert_, deleteStep_, modify_, skipPauses_;
  std::array<CGDIBitmapBtn, 3> modes_;
  CGDIBitmapBtn keyOption_, pauseOption_, upperCover_, ok_, lowerCover_;
  std::array<CGDIBitmapBtn, 3> mouse_;
  UniqueBitmap scrollBitmap_;
  UniqueBrush fieldBrush_;
  UniqueFont font_;

  bool recording_ = false;
  bool capturing_ = false;
  bool limitShown_ = false;
  bool loading_ = false;  // no saves while a macro is being put on the page
  std::uint32_t capturedKey_ = 0;
  // Keys already down when a recording starts (the Enter or Alt+R that
  // started it): their releases are no steps.
  std::bitset<256> heldAtStart_;
  // The step count before Alt went down in a recording, while it is held:
  // an Alt+R that stops the recording takes its own steps back.
  int stepsBeforeAlt_ = -1;
  DWORD lastStepTime_ = 0;
  int currentIndex_ = -1;

  // The last recorded key step, kept across recordings for the whole run.
  static std::uint32_t lastStepKey_;
  static LPARAM lastStepFlags_;
};

}  // namespace q730x
