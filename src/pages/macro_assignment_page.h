// The macro page of the key setting dialog: the stored macros, by name. The
// selected macro becomes the key's new function; its play mode and repeat
// count belong to the macro and are set in the macro manager.
#pragma once

#include "model/key_code.h"
#include "pages/setting_page.h"
#include "skin/gdi_handles.h"
#include "skin/list_box_ex.h"

namespace q730x {

// Sent to the page to fill its list again (no parameters).
inline constexpr UINT kRefillMacroListMessage = 0x486;

class CDlgMacroSet : public SettingPage {
 public:
  static constexpr int kTemplate = 143;
  static constexpr const wchar_t* kWindowText = L"KavexQ730XKbMacrosetDlg";
  static constexpr int kListId = 10001;

  CDlgMacroSet();

  // Lists the stored macros in the store's order, the last one selected. The
  // list is emptied only once the macro root has been opened: without a root
  // it keeps what it showed.
  void Fill();

  // The stored macro code with the selected macro's id in the first 32 bits
  // of the aux field; code 0 without a selection.
  void ReadChoice(KeyAssignment& assignment) const override;

  CListBoxEx& list() { return list_; }

 protected:
  bool OnInitDialog() override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  CListBoxEx list_;
  UniqueBitmap scrollBitmap_;  // the skinned bar's picture; the bar only borrows it
};

}  // namespace q730x
