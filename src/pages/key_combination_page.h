// The key combination page of the key setting dialog: four modifier check
// boxes and one key captured through the key hook library, which reports
// every press and release to this page while the dialog has capture on.
// Modifier keys toggle their boxes; any other key becomes the captured key.
#pragma once

#include <array>
#include <optional>
#include <cstdint>

#include "model/key_code.h"
#include "pages/setting_page.h"
#include "skin/bitmap_button.h"
#include "skin/gdi_handles.h"

namespace q730x {

enum class ComboModifier { Ctrl, Alt, Shift, Win };

// The check states of the four boxes, indexed by ComboModifier.
using ModifierChecks = std::array<bool, 4>;

// The code the page gives for its boxes and captured virtual key: a
// combination, a modifier alone (the last checked in the order Shift, Ctrl,
// Win, Alt) when no usable key was captured, a plain key, or 0 for nothing.
KeyCode ComposeCombinationCode(const ModifierChecks& checks, std::uint32_t capturedKey);

class CDlgSingleCombo : public SettingPage {
 public:
  static constexpr int kTemplate = 142;
  static constexpr const wchar_t* kWindowText = L"KavexQ730XKbSingleCombDlg";

  CDlgSingleCombo();

  // The choice read when the user confirms on this page: the composed code
  // (the aux field is left alone).
  void ReadChoice(KeyAssignment& assignment) const override;
  KeyCode ComposedCode() const;

  std::uint32_t capturedKey() const { return capturedKey_; }
  bool checked(ComboModifier modifier) const { return boxes_[int(modifier)].checked(); }
  CGDIBitmapBtn& box(ComboModifier modifier) { return boxes_[int(modifier)]; }
  // Takes back what the keys of an Alt chord that the dialog used as a
  // command (Alt+O, Alt+C, ...) did to the boxes and the captured key.
  void UndoAltChord();

 protected:
  bool OnInitDialog() override;
  bool OnCommand(HWND control, int code, int id) override;
  void PaintTexts(HDC dc) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnKeyReport(WPARAM virtualKey, LPARAM flags);
  void Toggle(ComboModifier modifier);

  std::array<CGDIBitmapBtn, 4> boxes_;
  std::uint32_t capturedKey_ = 0;
  UniqueFont font_;
  // The page as it was before Alt went down, while it is held.
  struct Before {
    std::uint32_t capturedKey;
    ModifierChecks checks;
  };
  std::optional<Before> beforeAlt_;
  bool altDown_ = false;
};

}  // namespace q730x
