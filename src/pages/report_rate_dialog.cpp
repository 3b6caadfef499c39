#include "pages/report_rate_dialog.h"

#include "device/keyboard_commands.h"
#include "markup/language_table.h"
#include "skin/keyboard_focus.h"
#include "skin/skin_files.h"

namespace q730x {

namespace {
constexpr std::uint32_t kRates[3] = {125, 500, 1000};
}

CUpdaterateDlg::CUpdaterateDlg(std::uint32_t& rate) : SkinnedDialog(kTemplate, {327, 170}, DialogKeys::Ordinary), rate_(rate) {}

bool CUpdaterateDlg::OnInitDialog() {
  LoadEmbeddedBitmaps(165, 163, 164);
  PlaceCentredOnParent(true);
  CreateSkinButton(close_, {297, 0, 325, 25});
  CreateSkinButton(ok_, {228, 139, 297, 169}, Language.str_OK);
  const RECT rateRects[3] = {{58, 77, 112, 95}, {132, 77, 184, 95}, {205, 77, 264, 95}};
  for (int i = 0; i < 3; ++i) {
    CreateSkinButton(rates_[i], rateRects[i]);
    rates_[i].SetCheckMode(true);
    rates_[i].SetChecked(rate_ == kRates[i]);
    rates_[i].SetAccessibleName(std::to_wstring(kRates[i]));  // the picture shows the number
  }
  close_.SetAccessibleName(Language.str_Cancel);
  ArrangeTabOrder({rates_[0].hwnd(), rates_[1].hwnd(), rates_[2].hwnd(), ok_.hwnd(), close_.hwnd()});
  return true;
}

void CUpdaterateDlg::Choose(int index) {
  for (int i = 0; i < 3; ++i) rates_[i].SetChecked(i == index);
}

bool CUpdaterateDlg::OnCommand(HWND control, int code, int id) {
  if (control && control == close_.hwnd()) {
    EndDialog(IDCANCEL);
  } else if (control && control == ok_.hwnd()) {
    OnOK();
  } else {
    for (int i = 0; i < 3; ++i)
      if (control && control == rates_[i].hwnd()) Choose(i);
  }
  return SkinnedDialog::OnCommand(control, code, id);
}

// The OK button, and Enter: the dialog keeps the platform's dialog keys, so
// Enter must take the choice just as the button does.
void CUpdaterateDlg::OnOK() {
  for (int i = 0; i < 3; ++i)
    if (rates_[i].checked()) {
      rate_ = kRates[i];
      break;
    }
  EndDialog(IDOK);
}

void CUpdaterateDlg::PaintTexts(HDC dc) {
  if (!font_) font_ = CreateSkinFont();
  SelectedFont selected(dc, font_.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(88, 99, 105));
  RECT r{8, 4, 152, 27};
  DrawTextW(dc, Language.str_rate_title.c_str(), int(Language.str_rate_title.size()), &r,
            DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS | DT_NOCLIP);
}

std::uint8_t IntervalForRate(std::uint32_t rate) {
  switch (rate) {
    case 500: return 2;
    case 1000: return 1;
    default: return 8;
  }
}

bool ChangeReportRate(std::uint32_t& rate, bool& rateChangePending, HWND owner) {
  std::uint32_t interval = 0;
  if (ReadReportInterval(interval) && interval != 0) rate = 1000 / interval;
  CUpdaterateDlg dialog(rate);
  if (dialog.RunModal(owner) != IDOK) return false;
  rateChangePending = true;
  SetReportInterval(IntervalForRate(rate));
  return true;
}

}  // namespace q730x
