// The base of every skinned window: a borderless dialog that paints its
// normal picture, never lets its background be erased, is dragged by its
// background, and keeps its three pictures (normal, hover, pressed) for the
// buttons that draw from them. A picture that cannot be loaded leaves a plain dark
// window of the expected size.
#pragma once

#include <string>

#include "skin/dialog.h"
#include "skin/picture.h"

namespace q730x {

class CGDIBitmapBtn;

class SkinnedDialog : public Dialog {
 public:
  // `expectedSize` is used while the normal picture is missing; `keys` is
  // what Enter, Escape and Space do in this window.
  SkinnedDialog(int templateId, SIZE expectedSize, DialogKeys keys = DialogKeys::Ordinary);

  // The pictures, for the buttons that draw from them.
  const SharedPicture& NormalPicture() const { return normal_; }
  const SharedPicture& HoverPicture() const { return hover_; }
  const SharedPicture& PressedPicture() const { return pressed_; }
  // The size of the normal picture, or the expected size without one.
  SIZE SkinSize() const;

 protected:
  // Skin files by full path; each missing one is reported and left empty.
  void LoadSkinFiles(const std::wstring& normal, const std::wstring& pressed,
                     const std::wstring& hover);
  // Embedded bitmaps by resource id (0: none), drawn from the program's
  // resources.
  void LoadEmbeddedBitmaps(int normal, int hover, int pressed);
  // Keeps of the hover and pressed pictures only `area` (window coordinates),
  // where every button of this window lies: nothing else ever shows the rest
  // of them (a copy of a skin file's picture costs memory; an embedded one
  // costs none either way). Called after the pictures are loaded, before the
  // buttons are made; HoverPicture() and PressedPicture() then hold only that area.
  void KeepButtonArea(RECT area);

  // Size and place the window.
  void PlaceCentredOnScreen();
  // A topmost window is also shown, unless show is false.
  void PlaceCentredOnParent(bool topmost, bool show = true);
  // Makes `button` at `rect` with its four looks the parts at `rect` of the
  // three pictures (normal, hover, pressed, and normal again for disabled).
  bool CreateSkinButton(CGDIBitmapBtn& button, RECT rect, const std::wstring& text = L"");

  // Texts drawn over the picture on every paint.
  virtual void PaintTexts(HDC) {}
  // Who moves when the background is dragged: the window itself, or (for the
  // pages inside the main window) the parent.
  void DragParentInstead() { dragParent_ = true; }
  // Screen readers are told when the window shows, as of an alert (the boxes).
  void AnnounceWhenShown() { announce_ = true; }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint();

  SIZE expectedSize_;
  SharedPicture normal_, hover_, pressed_;
  POINT buttonOrigin_{0, 0};  // where the hover and pressed pictures begin in the window
  bool dragParent_ = false;
  bool announce_ = false;
};

}  // namespace q730x
