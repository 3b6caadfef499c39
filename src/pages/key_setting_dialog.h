// The key setting dialog: edits the function of one key. It shows the key's
// current function and four pages on which a new one is chosen (key
// combination, macro, base function, advanced function), a box that disables
// the key, a restore button that gives it its factory function, OK and close.
// The result is the KeyAssignment record, read by the keyboard page only
// when the dialog ends with OK.
//
// While the combination page is shown, the key hook library reports the
// keys the user presses to that page; every way the dialog ends stops it.
#pragma once

#include <array>
#include <string>

#include "model/key_code.h"
#include "pages/setting_page.h"
#include "pages/setting_skin_dialog.h"
#include "skin/bitmap_button.h"
#include "skin/gdi_handles.h"
#include "skin/window.h"

namespace q730x {

class CDlgAdvance;
class CDlgBase;
class CDlgMacroSet;
class CDlgSingleCombo;

class CSettingDlg : public SettingSkinDialog {
 public:
  static constexpr int kTemplate = 139;
  static constexpr const wchar_t* kWindowText = L"KavexQ730XSetting";

  // The page numbers of SwitchPage: 1 shows the combination page without
  // capture, 2 with capture; 3 macro, 4 base function, 5 advanced function.
  enum PageNumber { kComboQuiet = 1, kCombo = 2, kMacro = 3, kBase = 4, kAdvanced = 5 };

  enum class Button { Close, Ok, Restore, Tab1, Tab2, Tab3, Tab4, Disable };

  CSettingDlg();
  ~CSettingDlg() override;

  // Cleared at construction; the keyboard page sets its position before RunModal.
  KeyAssignment& assignment() { return assignment_; }
  int currentPage() const { return currentPage_; }
  const std::wstring& currentAssignmentText() const { return currentText_; }

  void SwitchPage(int pageNumber);

  CGDIBitmapBtn& button(Button which) { return buttons_[int(which)]; }
  // The pages, once the dialog has started (null before, or when one could
  // not be made).
  CDlgBase* basePage() const;
  CDlgAdvance* advancedPage() const;
  CDlgMacroSet* macroPage() const;
  CDlgSingleCombo* comboPage() const;

  // Alt chords: O is OK, C cancels, R restores, D the disable box, 1 to 4
  // the page tabs. Plain keys stay free for the capture.
  bool PreTranslateMessage(MSG& message) override;

 protected:
  // Enter, Escape and Space are captured while capture runs; otherwise they
  // work the focused control (and never end the dialog).
  bool SwallowsKeys() const override { return capturing_; }
  bool OnInitDialog() override;
  bool OnCommand(HWND control, int code, int id) override;
  void OnCancel() override;
  void PaintTexts(HDC dc) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // The pages in the order they are made and asked for a choice.
  enum PageSlot { kBaseSlot, kAdvancedSlot, kMacroSlot, kComboSlot, kPageSlots };

  void PlaceCentredOnOwner();
  void CreatePages();
  void OnOkPressed();
  void OnRestore();
  void ToggleDisable();
  void StartCapture();
  void StopCapture();
  bool RunAltChord(WPARAM key);
  void MakeUsableByKeys();

  KeyAssignment assignment_{};
  int currentPage_ = kCombo;
  std::wstring currentText_;
  std::array<CGDIBitmapBtn, 8> buttons_;
  // Members, so their windows (children of the dialog's) go with the
  // dialog's window before the objects are deleted.
  std::array<WindowPtr<SettingPage>, kPageSlots> pages_;
  bool capturing_ = false;
  UniqueFont font_;
};

}  // namespace q730x
