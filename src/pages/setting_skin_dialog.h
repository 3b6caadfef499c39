// What the key setting dialog and its four pages share: a skinned dialog whose
// three pictures are skins\<folder>\<prefix>_Normal.bmp, _Down.bmp and
// _Over.bmp next to the program, and which swallows Enter, Escape and Space,
// so that no key ends the dialog or presses one of its buttons.
#pragma once

#include <string>

#include "skin/skinned_dialog.h"

namespace q730x {

class SettingSkinDialog : public SkinnedDialog {
 public:
  SettingSkinDialog(int templateId, SIZE expectedSize, const wchar_t* skinFolder,
                    const wchar_t* skinPrefix);

 protected:
  // Loads the three pictures; a missing one leaves a plain dark window.
  void LoadSettingSkin();

 private:
  std::wstring skinFolder_, skinPrefix_;
};

}  // namespace q730x
