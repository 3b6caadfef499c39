// The base function page of the key setting dialog: a list of 25 ready-made
// functions (Windows shortcuts, mouse buttons, media keys, screen captures).
// The selected entry's code becomes the key's new code.
#pragma once

#include <array>

#include "model/key_code.h"
#include "pages/setting_page.h"
#include "skin/gdi_handles.h"
#include "skin/list_box_ex.h"

namespace q730x {

class CDlgBase : public SettingPage {
 public:
  static constexpr int kTemplate = 140;
  static constexpr const wchar_t* kWindowText = L"KavexQ730XKbBaseDlg";
  static constexpr int kListId = 101;
  static constexpr int kEntries = 25;

  // position: the key being edited (the screen captures carry it).
  explicit CDlgBase(int position);

  // The code of the selected entry, or 0 without a selection; the aux field
  // is left alone.
  void ReadChoice(KeyAssignment& assignment) const override;

  CListBoxEx& list() { return list_; }
  KeyCode codeOf(int entry) const { return codes_[entry]; }

 protected:
  bool OnInitDialog() override;

 private:
  int position_;
  std::array<KeyCode, kEntries> codes_{};
  CListBoxEx list_;
  UniqueBitmap scrollBitmap_;  // the skinned bar's picture; the bar only borrows it
};

}  // namespace q730x
