// The advanced function page of the key setting dialog: four rows (sound,
// program, file, folder), each with an option, a path field and an open
// button that shows a file or folder picker. The checked row with a path
// becomes a software action of the key being edited.
#pragma once

#include <array>
#include <memory>

#include "model/key_code.h"
#include "pages/path_picker.h"
#include "pages/setting_page.h"
#include "skin/bitmap_button.h"
#include "skin/gdi_handles.h"

namespace q730x {

class CDlgAdvance : public SettingPage {
 public:
  static constexpr int kTemplate = 141;
  static constexpr const wchar_t* kWindowText = L"KavexQ730XKbAdvanceDlg";
  static constexpr int kRows = 4;

  // position: the key being edited.
  explicit CDlgAdvance(int position);

  // Where the open buttons ask for paths; null puts the platform's dialogs back.
  void SetPathPicker(PathPicker* picker);

  // The choice read when the user confirms on this page: the first checked
  // row that has a path gives the code and the path (cut to 259 units);
  // otherwise the code is 0.
  void ReadChoice(KeyAssignment& assignment) const override;

  CGDIBitmapBtn& option(int row) { return rows_[row].option; }
  CGDIBitmapBtn& pathField(int row) { return rows_[row].path; }
  CGDIBitmapBtn& openButton(int row) { return rows_[row].open; }

 protected:
  bool OnInitDialog() override;
  bool OnCommand(HWND control, int code, int id) override;
  void PaintTexts(HDC dc) override;

 private:
  struct Row {
    CGDIBitmapBtn option, path, open;
  };
  void Check(int row);
  void Pick(int row);

  int position_;
  std::array<Row, kRows> rows_;
  PlatformPathPicker platformPicker_;
  PathPicker* picker_ = &platformPicker_;
  UniqueFont font_;
};

}  // namespace q730x
