// Owners for GDI objects and device contexts: each deletes or releases its
// handle when it goes out of scope, so no window leaks a bitmap, brush,
// font or region however it ends.
#pragma once

#include <windows.h>

#include <utility>

namespace q730x {

template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle h) : handle_(h) {}
  ~GdiObject() { reset(); }
  GdiObject(GdiObject&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) reset(std::exchange(other.handle_, nullptr));
    return *this;
  }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  // Gives the handle away (for example to SetWindowRgn, which takes ownership).
  Handle release() { return std::exchange(handle_, nullptr); }
  void reset(Handle h = nullptr) {
    if (handle_) DeleteObject(handle_);
    handle_ = h;
  }

 private:
  Handle handle_ = nullptr;
};

using UniqueBitmap = GdiObject<HBITMAP>;
using UniqueBrush = GdiObject<HBRUSH>;
using UniqueFont = GdiObject<HFONT>;
using UniqueRegion = GdiObject<HRGN>;

// A memory drawing context and the one owner of what it draws on. It draws
// either on a borrowed picture (Borrow: a skin or picture that a longer-lived
// object owns) or on a surface of its own (CreateSurface, Adopt), which it
// creates, selects and, when it ends, deselects before deleting it; the
// surface leaves it only deselected (TakeSurface). A bitmap of the caller's
// own is handed over with Adopt and taken back with TakeSurface, never
// selected while the caller still holds it: so no bitmap can be deleted
// while it is selected (Windows refuses that and the handle is lost) however
// the locals around the context are ordered.
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  ~MemoryDc() {
    if (!dc_) return;
    if (oldBitmap_) SelectObject(dc_, oldBitmap_);
    if (oldFont_) SelectObject(dc_, oldFont_);
    DeleteDC(dc_);
  }  // surface_ goes after this, deselected
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }
  // Draws from (or on) a picture that outlives the context: a skin's or a
  // picture's own bitmap. A bitmap the caller owns goes through Adopt.
  void Borrow(HBITMAP outlivesTheContext) {
    if (!dc_) return;
    PutBitmap(outlivesTheContext);
  }
  // A new surface compatible with `dc`, selected and owned; false when the
  // context or the surface cannot be made.
  bool CreateSurface(HDC dc, int width, int height) {
    if (!dc_ || width <= 0 || height <= 0) return false;
    UniqueBitmap surface(CreateCompatibleBitmap(dc, width, height));
    if (!surface) return false;
    Adopt(std::move(surface));
    return true;
  }
  // Deselects the context's own surface and gives it away.
  UniqueBitmap TakeSurface() {
    if (dc_ && oldBitmap_) SelectObject(dc_, oldBitmap_);
    oldBitmap_ = nullptr;
    return std::move(surface_);
  }
  // Takes a bitmap over (a DIB section, or a picture to draw on) and selects
  // it; false when there is no context or no bitmap.
  bool Adopt(UniqueBitmap bitmap) {
    if (!dc_ || !bitmap) return false;
    PutBitmap(bitmap.get());
    UniqueBitmap previous = std::exchange(surface_, std::move(bitmap));
    return true;
  }  // the previous surface, now deselected, goes here
  void Select(HFONT font) {
    if (!dc_) return;
    HGDIOBJ old = SelectObject(dc_, font);
    if (!oldFont_) oldFont_ = old;
  }

 private:
  void PutBitmap(HBITMAP bitmap) {
    HGDIOBJ old = SelectObject(dc_, bitmap);
    if (!oldBitmap_) oldBitmap_ = old;
  }

  UniqueBitmap surface_;  // declared first: destroyed after the context
  HDC dc_;
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

// GetDC/ReleaseDC for one window (or the screen with a null window).
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// A font selected into a drawing context for one scope.
class SelectedFont {
 public:
  SelectedFont(HDC dc, HFONT font) : dc_(dc), old_(SelectObject(dc, font)) {}
  ~SelectedFont() { SelectObject(dc_, old_); }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace q730x
