#include "device/action_platform.h"

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

namespace q730x {

void WindowsActionPlatform::RunCommandLine(const std::string& commandLine) {
  WinExec(commandLine.c_str(), SW_SHOWNORMAL);
}

void WindowsActionPlatform::PlaySoundFile(const std::u16string& file) {
  PlaySoundW(reinterpret_cast<const wchar_t*>(file.c_str()), GetModuleHandleW(nullptr),
             SND_FILENAME | SND_ASYNC);
}

void WindowsActionPlatform::OpenWithShell(const std::u16string& target) {
  ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(target.c_str()), nullptr,
                nullptr, SW_SHOWNORMAL);
}

ActionPlatform& SystemActionPlatform() {
  static WindowsActionPlatform platform;
  return platform;
}

}  // namespace q730x
