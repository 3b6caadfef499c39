// A skinned window put together from pictures, buttons and texts, so the
// gallery can show every picture of the skin with working buttons on it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/bitmap_button.h"
#include "skin/gdi_handles.h"
#include "skin/skinned_dialog.h"

namespace q730x {

struct SampleButton {
  RECT rect;
  std::wstring text;
  bool checkMode = false;
  bool checked = false;
  std::optional<RECT> textRect;
  std::wstring tooltip;  // for buttons whose picture carries no words
};

struct SampleText {
  std::wstring text;
  RECT rect;
  COLORREF colour;
  UINT flags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOCLIP;
  bool gdiplus = false;  // drawn with the GDI+ skin text routine instead of GDI
};

struct SamplePictures {
  int normal = 0, hover = 0, pressed = 0;  // embedded bitmaps, or
  std::wstring skinFolder, skinPrefix;     // skins\<folder>\<prefix>_Normal.bmp ...
};

class SampleWindow : public SkinnedDialog {
 public:
  SampleWindow(int templateId, SIZE size, SamplePictures pictures,
               std::vector<SampleButton> buttons, std::vector<SampleText> texts);

  // Shapes the window by its normal picture.
  void UseRegion() { region_ = true; }
  // Child pages sit at a position inside their parent.
  void PlaceAt(POINT position) { position_ = position; }
  CGDIBitmapBtn& button(size_t i) { return *buttons_[i]; }

 protected:
  bool OnInitDialog() override;
  void PaintTexts(HDC dc) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  SamplePictures pictures_;
  std::vector<SampleButton> specs_;
  std::vector<SampleText> texts_;
  std::vector<std::unique_ptr<CGDIBitmapBtn>> buttons_;
  std::optional<POINT> position_;
  bool region_ = false;
  UniqueFont font_;
  UniqueBrush editBrush_;
};

}  // namespace q730x
