// Runs work on a Win32 thread of its own that nobody joins. The virtual
// keyboard starts one per client connection; native threads avoid a rare
// start-up race of the C++ runtime's thread wrapper seen under Wine.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

namespace q730x::vkb {

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

}  // namespace q730x::vkb
