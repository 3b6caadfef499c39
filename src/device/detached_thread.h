// Runs work on a Win32 thread of its own that nobody joins (the download
// worker, the virtual keyboard's client threads). Native threads, because the
// C++ runtime's thread wrapper showed a rare start-up race under Wine.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

namespace q730x {

inline bool StartDetachedThread(std::function<void()> work) {
  auto job = std::make_unique<std::function<void()>>(std::move(work));
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* argument) -> DWORD {
        std::unique_ptr<std::function<void()>> own(static_cast<std::function<void()>*>(argument));
        (*own)();
        return 0;
      },
      job.get(), 0, nullptr);
  if (!thread) return false;
  job.release();  // the thread owns it now
  CloseHandle(thread);
  return true;
}

}  // namespace q730x
