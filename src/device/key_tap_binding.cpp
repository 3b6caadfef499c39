#include "device/key_tap_binding.h"

#include <cstdint>

#include "device/companion_library.h"
#include "model/program_folder.h"

namespace q730x {

KeyTapBinding KeyTap;

namespace {

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  // GetProcAddress answers a generic function pointer; each export has the
  // signature its name promises.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool KeyTapBinding::Bind(const std::wstring& libraryPath) {
  *this = KeyTapBinding{};
  HMODULE module = LoadLibraryExW(libraryPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!module) return false;
  KeyTapBinding bound;
  // Looked up in this order: the four the utility cannot do without first.
  bound.installHook_ = Export<InstallHookFn>(module, "InstallHook");
  bound.removeHook_ = Export<RemoveHookFn>(module, "RemoveHook");
  bound.setHookStatus_ = Export<SetHookStatusFn>(module, "SetHookStatus");
  bound.setFilterKey_ = Export<SetFilterKeyFn>(module, "SetFilterKey");
  bound.setHookMove_ = Export<SetHookMoveFn>(module, "SetHookMove");
  bound.setParentWindow_ = Export<SetParentWindowFn>(module, "SetParentWindow");
  bound.isHooked_ = Export<IsHookedFn>(module, "IsHooked");
  bound.setDebug_ = Export<SetDebugFn>(module, "SetDebug");
  if (!bound.installHook_ || !bound.removeHook_ || !bound.setHookStatus_ || !bound.setParentWindow_) {
    FreeLibrary(module);
    return false;
  }
  *this = bound;  // the module stays loaded for the rest of the run
  return true;
}

void KeyTapBinding::InstallHook() const {
  if (installHook_) installHook_(1, 0);
}
void KeyTapBinding::RemoveHook() const {
  if (removeHook_) removeHook_();
}
void KeyTapBinding::SetHookStatus(bool reporting) const {
  if (setHookStatus_) setHookStatus_(reporting ? 1 : 0, 0);
}
void KeyTapBinding::SetFilterKey(int value) const {
  if (setFilterKey_) setFilterKey_(value);
}
void KeyTapBinding::SetHookMove(int value) const {
  if (setHookMove_) setHookMove_(value);
}
void KeyTapBinding::SetParentWindow(HWND window) const {
  // Window handles are 32-bit values; the library takes them as such.
  if (setParentWindow_) setParentWindow_(static_cast<int>(reinterpret_cast<std::intptr_t>(window)));
}
int KeyTapBinding::IsHooked() const { return isHooked_ ? isHooked_() : 0; }
void KeyTapBinding::SetDebug(int value) const {
  if (setDebug_) setDebug_(value);
}

bool BindKeyTap() {
  const std::wstring folder = ProgramFolder();
  if (folder.empty()) return false;
  return KeyTap.Bind(folder + L"KeyTap.dll");
}

}  // namespace q730x
