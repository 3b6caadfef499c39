// A picture that windows paint from and share: the skinned window that
// loaded it and the buttons that show parts of it. It goes when the last of
// them lets go, so no button draws from a deleted picture.
//
// A picture is either a GDI bitmap (a skin file, or a part copied to be
// drawn on) or a packed bitmap drawn straight from memory that outlives it:
// the program's own embedded bitmaps, drawn from their resources. Windows
// maps resources from the program file, so those cost the process no memory
// of its own, where a loaded bitmap of the main window's size costs 1.8 MB
// and the utility has a dozen of them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>

#include "skin/gdi_handles.h"

namespace q730x {

class Picture;
using SharedPicture = std::shared_ptr<const Picture>;

class Picture {
 public:
  // Null for a null bitmap, so that "no picture" has one form.
  static SharedPicture FromBitmap(UniqueBitmap bitmap);
  // An embedded bitmap of `module`, which stays loaded while the picture
  // lives; null when there is none. One whose data cannot be drawn from as
  // it stands is loaded as a GDI bitmap instead.
  static SharedPicture FromResource(HMODULE module, int id);
  // A packed bitmap (header, colour table, bottom-up rows) of `size` bytes
  // that outlives the picture. Null unless it is uncompressed, of 1, 4, 8,
  // 24 or 32 bits a pixel, and its rows fit in `size`, whatever its header
  // claims.
  static SharedPicture FromPackedBitmap(const void* data, std::size_t size);
  // The part `area` of `picture` (clipped to it): a packed picture's part
  // shares its rows, a GDI bitmap's part is a copy. Null when nothing is left.
  static SharedPicture Part(const SharedPicture& picture, RECT area);

  SIZE size() const { return size_; }
  // Copies the w x h part at `from` to (x, y) of `target`, as BitBlt copies.
  // What lies outside the picture is left as it was on the target.
  void Draw(HDC target, int x, int y, int w, int h, POINT from) const;
  // A GDI bitmap copy of the picture, to read or change its pixels.
  UniqueBitmap ToBitmap() const;

 private:
  Picture() = default;
  // A GDI bitmap copy of the part `area` of the picture.
  UniqueBitmap CopyToBitmap(RECT area) const;

  UniqueBitmap bitmap_;
  // A packed picture: its header and rows, and where this picture (a whole
  // one, or a part) begins in them, in top-down coordinates.
  const BITMAPINFO* packed_ = nullptr;
  const BYTE* rows_ = nullptr;
  POINT origin_{0, 0};
  SIZE size_{0, 0};
};

}  // namespace q730x
