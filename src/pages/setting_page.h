// One of the four pages of the key setting dialog. Each is a child dialog
// that the key setting dialog places in its page area and asks for the
// user's choice when the user confirms while the page is shown.
#pragma once

#include "model/key_code.h"
#include "pages/setting_skin_dialog.h"

namespace q730x {

class SettingPage : public SettingSkinDialog {
 public:
  using SettingSkinDialog::SettingSkinDialog;

  // Fills the record with the page's choice; a code of 0 means none.
  virtual void ReadChoice(KeyAssignment& assignment) const = 0;

 protected:
  // The key setting dialog around the page decides which keys it swallows.
  bool SwallowsKeys() const override { return false; }
};

}  // namespace q730x
