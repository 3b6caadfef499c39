#include "skin/skin_files.h"

#include <objidl.h>
#include <olectl.h>
#include <gdiplus.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

namespace q730x {

namespace {

// A movable global memory block, freed unless a stream took it over.
class GlobalBlock {
 public:
  explicit GlobalBlock(SIZE_T size) : handle_(GlobalAlloc(GMEM_MOVEABLE, size)) {}
  ~GlobalBlock() {
    if (handle_) GlobalFree(handle_);
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  HGLOBAL get() const { return handle_; }
  HGLOBAL release() {
    HGLOBAL h = handle_;
    handle_ = nullptr;
    return h;
  }

 private:
  HGLOBAL handle_;
};

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** out() { return &p_; }
  T* operator->() const { return p_; }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

// The whole file in a movable global memory block; null when it cannot be read.
std::unique_ptr<GlobalBlock> ReadWholeFile(const std::wstring& path, DWORD& size) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER length;
  if (!GetFileSizeEx(file.get(), &length) || length.QuadPart <= 0 ||
      length.QuadPart > 64 * 1024 * 1024)
    return nullptr;
  size = DWORD(length.QuadPart);
  auto block = std::make_unique<GlobalBlock>(size);
  if (!block->get()) return nullptr;
  void* data = GlobalLock(block->get());
  DWORD read = 0;
  bool ok = data && ReadFile(file.get(), data, size, &read, nullptr) && read == size;
  if (data) GlobalUnlock(block->get());
  return ok ? std::move(block) : nullptr;
}

// The font family for skin texts: the named one, else the generic sans-serif
// family. Where the system has neither (a bare Wine prefix lacks the fonts the
// generic family is made of), a metric-compatible free family stands in, so
// that texts never silently vanish. The caller deletes the result.
Gdiplus::GpFontFamily* NamedOrGenericFamily(const wchar_t* name) {
  using namespace Gdiplus::DllExports;
  Gdiplus::GpFontFamily* family = nullptr;
  if (name && *name && GdipCreateFontFamilyFromName(name, nullptr, &family) == Gdiplus::Ok)
    return family;
  Gdiplus::GpFontFamily* generic = nullptr;
  if (GdipGetGenericFontFamilySansSerif(&generic) == Gdiplus::Ok && generic &&
      GdipCloneFontFamily(generic, &family) == Gdiplus::Ok)
    return family;
  for (const wchar_t* standIn : {L"Liberation Sans", L"DejaVu Sans"})
    if (GdipCreateFontFamilyFromName(standIn, nullptr, &family) == Gdiplus::Ok) return family;
  return nullptr;
}

}  // namespace

void SkinTrace(const std::wstring& text) {
  std::wstring line = L"Q730X skin: " + text + L"\n";
  OutputDebugStringW(line.c_str());
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return {0, 0};
  return {info.bmWidth, info.bmHeight};
}

bool LoadSkinBitmap(const std::wstring& path, UniqueBitmap& bitmap, SIZE* size) {
  DWORD length = 0;
  std::unique_ptr<GlobalBlock> block = ReadWholeFile(path, length);
  if (!block) {
    SkinTrace(L"cannot read " + path);
    return false;
  }
  ComPtr<IStream> stream;
  // The stream frees the block when it is released.
  if (FAILED(CreateStreamOnHGlobal(block->get(), TRUE, stream.out()))) {
    SkinTrace(L"cannot open a stream on " + path);
    return false;
  }
  block->release();
  ComPtr<IPicture> picture;
  if (FAILED(OleLoadPicture(stream.get(), LONG(length), FALSE, IID_IPicture,
                            reinterpret_cast<void**>(picture.out())))) {
    SkinTrace(L"cannot decode " + path);
    return false;
  }
  OLE_HANDLE handle = 0;
  SHORT type = 0;
  if (FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP ||
      FAILED(picture->get_Handle(&handle))) {
    SkinTrace(L"not a bitmap: " + path);
    return false;
  }
  // The picture owns its handle; keep a copy of our own.
  HBITMAP copy = static_cast<HBITMAP>(CopyImage(reinterpret_cast<HBITMAP>(UINT_PTR(handle)),
                                                IMAGE_BITMAP, 0, 0, 0));
  if (!copy) {
    SkinTrace(L"cannot copy the picture of " + path);
    return false;
  }
  bitmap.reset(copy);
  if (size) *size = BitmapSize(copy);
  return true;
}

std::unique_ptr<Gdiplus::Bitmap> LoadSkinImage(const std::wstring& path) {
  auto image = std::make_unique<Gdiplus::Bitmap>(path.c_str());
  if (image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0) {
    SkinTrace(L"cannot load " + path);
    return nullptr;
  }
  return image;
}

std::optional<SIZE> PngFileSize(const std::wstring& path) {
  // The signature, then the header chunk: its length, "IHDR", the width and
  // the height, both big-endian.
  static constexpr BYTE kStart[16] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                      0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  BYTE header[24] = {};
  DWORD read = 0;
  if (!ReadFile(file.get(), header, sizeof header, &read, nullptr) || read != sizeof header ||
      !std::equal(std::begin(kStart), std::end(kStart), header))
    return std::nullopt;
  const auto bigEndian = [&](int at) {
    return std::uint32_t(header[at]) << 24 | std::uint32_t(header[at + 1]) << 16 |
           std::uint32_t(header[at + 2]) << 8 | header[at + 3];
  };
  const std::uint32_t width = bigEndian(16), height = bigEndian(20);
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return std::nullopt;
  return SIZE{LONG(width), LONG(height)};
}

UniqueRegion RegionFromPicture(const SharedPicture& picture) {
  if (!picture) return UniqueRegion();
  const SIZE size = picture->size();
  if (size.cx <= 0 || size.cy <= 0) return UniqueRegion();
  WindowDc screen(nullptr);
  MemoryDc copy(screen.get());
  if (!copy) return UniqueRegion();

  // A 32-bit top-down copy, so rows are read from the top of the picture.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap dib(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return UniqueRegion();
  copy.Adopt(std::move(dib));  // the context deletes it after deselecting it
  picture->Draw(copy.get(), 0, 0, size.cx, size.cy, {0, 0});
  GdiFlush();

  const int stride = ((size.cx * 32 + 31) / 32) * 4;
  const auto* pixels = static_cast<const BYTE*>(bits);
  auto isKey = [&](int x, int y) {
    const BYTE* p = pixels + y * stride + x * 4;  // blue, green, red, unused
    return p[0] == 127 && p[1] == 0 && p[2] == 228;
  };

  constexpr size_t kBatch = 2000;
  std::vector<RECT> rects;
  rects.reserve(100);
  RECT bounds{0x7FFFFFFF, 0x7FFFFFFF, 0, 0};
  UniqueRegion result(CreateRectRgn(0, 0, 0, 0));
  if (!result) return UniqueRegion();

  auto flush = [&] {
    if (rects.empty()) return true;
    std::vector<BYTE> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = DWORD(rects.size());
    data->rdh.nRgnSize = DWORD(rects.size() * sizeof(RECT));
    data->rdh.rcBound = bounds;
    std::copy(rects.begin(), rects.end(), reinterpret_cast<RECT*>(data->Buffer));
    UniqueRegion part(ExtCreateRegion(nullptr, DWORD(buffer.size()), data));
    rects.clear();
    return part && CombineRgn(result.get(), result.get(), part.get(), RGN_OR) != ERROR;
  };

  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx;) {
      while (x < size.cx && isKey(x, y)) ++x;
      if (x >= size.cx) break;
      int start = x;
      while (x < size.cx && !isKey(x, y)) ++x;
      if (rects.size() == rects.capacity()) rects.reserve(rects.capacity() + 100);
      rects.push_back({start, y, x, y + 1});
      bounds.left = std::min<LONG>(bounds.left, start);
      bounds.top = std::min<LONG>(bounds.top, y);
      bounds.right = std::max<LONG>(bounds.right, x);
      bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
      if (rects.size() == kBatch && !flush()) return UniqueRegion();
    }
  }
  if (!flush()) return UniqueRegion();
  return result;
}

UniqueFont CreateSkinFont(int weight) {
  return UniqueFont(CreateFontW(14, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                FF_SWISS, L"MS Shell Dlg"));
}

void DrawSkinText(HDC dc, std::wstring_view text, float points, int alignment, DWORD argb,
                  float x, float y, float width, float height, const wchar_t* family) {
  if (text.empty()) return;
  // The flat GDI+ interface, so that every object is released on every path.
  using namespace Gdiplus::DllExports;
  Gdiplus::GpGraphics* graphics = nullptr;
  if (GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok) return;
  Gdiplus::GpFontFamily* fontFamily = NamedOrGenericFamily(family);
  Gdiplus::GpFont* font = nullptr;
  Gdiplus::GpStringFormat* format = nullptr;
  Gdiplus::GpSolidFill* brush = nullptr;
  if (fontFamily &&
      GdipCreateFont(fontFamily, points, Gdiplus::FontStyleRegular, Gdiplus::UnitPoint, &font) ==
          Gdiplus::Ok &&
      GdipCreateStringFormat(0, LANG_NEUTRAL, &format) == Gdiplus::Ok &&
      GdipCreateSolidFill(argb, &brush) == Gdiplus::Ok) {
    GdipSetStringFormatAlign(format, alignment == 1   ? Gdiplus::StringAlignmentCenter
                                     : alignment == 2 ? Gdiplus::StringAlignmentFar
                                                      : Gdiplus::StringAlignmentNear);
    GdipSetTextRenderingHint(graphics, Gdiplus::TextRenderingHintAntiAlias);
    Gdiplus::RectF layout(x, y, width, height);
    GdipDrawString(graphics, text.data(), INT(text.size()), font, &layout, format, brush);
  }
  if (brush) GdipDeleteBrush(brush);
  if (format) GdipDeleteStringFormat(format);
  if (font) GdipDeleteFont(font);
  if (fontFamily) GdipDeleteFontFamily(fontFamily);
  GdipDeleteGraphics(graphics);
}

GdiplusSession::GdiplusSession() {
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

GdiplusSession::~GdiplusSession() { Shutdown(); }

void GdiplusSession::Shutdown() {
  if (token_) Gdiplus::GdiplusShutdown(token_);
  token_ = 0;
}

}  // namespace q730x
