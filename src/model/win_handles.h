// Owners of Win32 handles (registry keys, files, kernel objects, modules):
// each closes what it holds exactly once. Shared by every module.
#pragma once

#include <windows.h>

#include <utility>

namespace q730x {

// An owner for a handle type whose "nothing held" values and close call are
// given by Traits (Traits::IsValid(h), Traits::Close(h), Traits::Empty()).
template <typename Traits>
class UniqueWinHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueWinHandle() = default;
  explicit UniqueWinHandle(Handle h) : handle_(h) {}
  UniqueWinHandle(UniqueWinHandle&& other) noexcept : handle_(other.release()) {}
  UniqueWinHandle& operator=(UniqueWinHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueWinHandle(const UniqueWinHandle&) = delete;
  UniqueWinHandle& operator=(const UniqueWinHandle&) = delete;
  ~UniqueWinHandle() { reset(); }

  Handle get() const { return handle_; }
  bool valid() const { return Traits::IsValid(handle_); }
  explicit operator bool() const { return valid(); }
  Handle release() { return std::exchange(handle_, Traits::Empty()); }
  void reset(Handle h = Traits::Empty()) {
    if (valid()) Traits::Close(handle_);
    handle_ = h;
  }
  // For functions that hand back a new handle through a pointer.
  Handle* receive() {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Empty();
};

struct RegKeyTraits {
  using Handle = HKEY;
  static HKEY Empty() { return nullptr; }
  static bool IsValid(HKEY h) { return h != nullptr; }
  static void Close(HKEY h) { RegCloseKey(h); }
};

// A file (or other kernel object) handle. CreateFileW fails with
// INVALID_HANDLE_VALUE, other calls with null: both count as nothing held.
struct FileHandleTraits {
  using Handle = HANDLE;
  static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

// Any kernel handle closed with CloseHandle; empty is null, and
// INVALID_HANDLE_VALUE also counts as nothing held.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static HANDLE Empty() { return nullptr; }
  static bool IsValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { CloseHandle(h); }
};

// A loaded module, released with FreeLibrary.
struct LibraryTraits {
  using Handle = HMODULE;
  static HMODULE Empty() { return nullptr; }
  static bool IsValid(HMODULE h) { return h != nullptr; }
  static void Close(HMODULE h) { FreeLibrary(h); }
};

using UniqueRegKey = UniqueWinHandle<RegKeyTraits>;
using UniqueFile = UniqueWinHandle<FileHandleTraits>;
using UniqueHandle = UniqueWinHandle<KernelHandleTraits>;
using UniqueLibrary = UniqueWinHandle<LibraryTraits>;

}  // namespace q730x
