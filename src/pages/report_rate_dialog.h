// The report rate dialog: the user picks 125, 500 or 1000 reports per second
// for the current profile. ChangeReportRate is the whole operation as the
// keyboard page runs it: ask the keyboard for its interval, show the dialog,
// and send the new interval when the user confirms.
#pragma once

#include <cstdint>

#include "skin/bitmap_button.h"
#include "skin/gdi_handles.h"
#include "skin/skinned_dialog.h"

namespace q730x {

class CUpdaterateDlg : public SkinnedDialog {
 public:
  static constexpr int kTemplate = 161;

  // rate: the profile's report rate field, edited in place on OK.
  explicit CUpdaterateDlg(std::uint32_t& rate);

  CGDIBitmapBtn& closeButton() { return close_; }
  CGDIBitmapBtn& okButton() { return ok_; }
  CGDIBitmapBtn& rateButton(int index) { return rates_[index]; }  // 0: 125, 1: 500, 2: 1000

 protected:
  bool OnInitDialog() override;
  bool OnCommand(HWND control, int code, int id) override;
  void OnOK() override;
  void PaintTexts(HDC dc) override;

 private:
  void Choose(int index);

  std::uint32_t& rate_;
  CGDIBitmapBtn close_, ok_, rates_[3];
  UniqueFont font_;
};

// The keyboard's interval for a rate: 8 ms for 125, 2 for 500, 1 for 1000,
// and 8 for anything else.
std::uint8_t IntervalForRate(std::uint32_t rate);

// Asks the keyboard for its interval (a non-zero answer sets rate to 1000 /
// interval), runs the dialog, and on OK sets rateChangePending and sends the
// new interval. Answers whether the user confirmed.
bool ChangeReportRate(std::uint32_t& rate, bool& rateChangePending, HWND owner);

}  // namespace q730x
