// Owners of Win32 handles: each closes what it holds exactly once.
#pragma once

#include <windows.h>

#include <utility>

namespace q730x {

// A kernel handle closed with CloseHandle. Both null and INVALID_HANDLE_VALUE
// count as "nothing held", because Win32 functions use either for failure.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : handle_(h) {}
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { reset(); }

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  explicit operator bool() const { return valid(); }
  HANDLE release() { return std::exchange(handle_, nullptr); }
  void reset(HANDLE h = nullptr) {
    if (valid()) CloseHandle(handle_);
    handle_ = h;
  }

 private:
  HANDLE handle_ = nullptr;
};

// A loaded module, released with FreeLibrary.
class UniqueLibrary {
 public:
  UniqueLibrary() = default;
  explicit UniqueLibrary(HMODULE m) : module_(m) {}
  UniqueLibrary(UniqueLibrary&& other) noexcept : module_(std::exchange(other.module_, nullptr)) {}
  UniqueLibrary& operator=(UniqueLibrary&& other) noexcept {
    if (this != &other) {
      reset();
      module_ = std::exchange(other.module_, nullptr);
    }
    return *this;
  }
  UniqueLibrary(const UniqueLibrary&) = delete;
  UniqueLibrary& operator=(const UniqueLibrary&) = delete;
  ~UniqueLibrary() { reset(); }

  HMODULE get() const { return module_; }
  explicit operator bool() const { return module_ != nullptr; }
  void reset() {
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
  }

 private:
  HMODULE module_ = nullptr;
};

}  // namespace q730x
