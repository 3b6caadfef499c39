#include "skin/picture.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "skin/skin_files.h"

namespace q730x {

namespace {

// The number of colour table entries a packed bitmap carries, or -1 when its
// header is not one we draw from.
long ColourEntries(const BITMAPINFOHEADER& h) {
  if (h.biClrUsed > 256) return -1;
  switch (h.biBitCount) {
    case 1:
    case 4:
    case 8:
      return h.biClrUsed ? long(h.biClrUsed) : 1L << h.biBitCount;
    case 24:
    case 32:
      return long(h.biClrUsed);  // an optional palette for the display
    default:
      return -1;
  }
}

}  // namespace

SharedPicture Picture::FromBitmap(UniqueBitmap bitmap) {
  if (!bitmap) return nullptr;
  std::shared_ptr<Picture> picture(new Picture);
  picture->size_ = BitmapSize(bitmap.get());
  picture->bitmap_ = std::move(bitmap);
  return picture;
}

SharedPicture Picture::FromPackedBitmap(const void* data, std::size_t size) {
  if (!data || size < sizeof(BITMAPINFOHEADER) || reinterpret_cast<std::uintptr_t>(data) % 4 != 0) return nullptr;
  const auto* info = static_cast<const BITMAPINFO*>(data);
  const BITMAPINFOHEADER& h = info->bmiHeader;
  // Bottom-up rows only: that is what resources hold, and what the drawing
  // below counts its source rows from.
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > size || h.biPlanes != 1 || h.biCompression != BI_RGB ||
      h.biWidth <= 0 || h.biWidth > 32767 || h.biHeight <= 0 || h.biHeight > 32767)
    return nullptr;
  const long colours = ColourEntries(h);
  if (colours < 0) return nullptr;
  const std::uint64_t stride = (std::uint64_t(h.biWidth) * h.biBitCount + 31) / 32 * 4;
  const std::uint64_t rowsAt = std::uint64_t(h.biSize) + std::uint64_t(colours) * sizeof(RGBQUAD);
  if (rowsAt + stride * std::uint64_t(h.biHeight) > size) return nullptr;

  std::shared_ptr<Picture> picture(new Picture);
  picture->packed_ = info;
  picture->rows_ = static_cast<const BYTE*>(data) + rowsAt;
  picture->size_ = {h.biWidth, h.biHeight};
  return picture;
}

SharedPicture Picture::FromResource(HMODULE module, int id) {
  if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_BITMAP)) {
    const DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    if (SharedPicture packed = FromPackedBitmap(loaded ? LockResource(loaded) : nullptr, size)) return packed;
  }
  UniqueBitmap bitmap(LoadBitmapW(module, MAKEINTRESOURCEW(id)));
  if (!bitmap) SkinTrace(L"missing embedded bitmap " + std::to_wstring(id));
  return FromBitmap(std::move(bitmap));
}

SharedPicture Picture::Part(const SharedPicture& picture, RECT area) {
  if (!picture) return nullptr;
  const RECT whole{0, 0, picture->size_.cx, picture->size_.cy};
  RECT part;
  if (!IntersectRect(&part, &area, &whole)) return nullptr;

  if (!picture->packed_) return FromBitmap(picture->CopyToBitmap(part));
  std::shared_ptr<Picture> result(new Picture);
  result->size_ = {part.right - part.left, part.bottom - part.top};
  result->packed_ = picture->packed_;
  result->rows_ = picture->rows_;
  result->origin_ = {picture->origin_.x + part.left, picture->origin_.y + part.top};
  return result;
}

void Picture::Draw(HDC target, int x, int y, int w, int h, POINT from) const {
  if (bitmap_) {
    MemoryDc source(target);
    source.Borrow(bitmap_.get());
    BitBlt(target, x, y, w, h, source.get(), from.x, from.y, SRCCOPY);
    return;
  }
  if (!packed_) return;
  // Only the part that lies on the picture is drawn.
  const RECT wanted{from.x, from.y, from.x + w, from.y + h};
  const RECT whole{0, 0, size_.cx, size_.cy};
  RECT part;
  if (!IntersectRect(&part, &wanted, &whole)) return;
  const int partWidth = part.right - part.left, partHeight = part.bottom - part.top;
  const int rowsHigh = packed_->bmiHeader.biHeight;
  // The source is counted from the packed bitmap's bottom row.
  const int sourceX = origin_.x + part.left;
  const int sourceBottom = rowsHigh - (origin_.y + part.bottom);
  SetDIBitsToDevice(target, x + (part.left - from.x), y + (part.top - from.y), DWORD(partWidth), DWORD(partHeight),
                    sourceX, sourceBottom, 0, UINT(rowsHigh), rows_, packed_, DIB_RGB_COLORS);
}

UniqueBitmap Picture::ToBitmap() const { return CopyToBitmap({0, 0, size_.cx, size_.cy}); }

UniqueBitmap Picture::CopyToBitmap(RECT area) const {
  const int width = area.right - area.left, height = area.bottom - area.top;
  WindowDc screen(nullptr);
  MemoryDc to(screen.get());
  if (!to.CreateSurface(screen.get(), width, height)) return UniqueBitmap();
  Draw(to.get(), 0, 0, width, height, {area.left, area.top});
  return to.TakeSurface();
}

}  // namespace q730x
