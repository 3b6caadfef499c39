#include "device/action_platform.h"

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <vector>

#include "model/win_handles.h"

namespace q730x {

// What WinExec(commandLine, SW_SHOWNORMAL) does, but with the command line
// kept in UTF-16: an ANSI copy could not name a folder outside the code page.
void WindowsActionPlatform::RunCommandLine(const std::u16string& commandLine) {
  std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
  writable.push_back(L'\0');  // CreateProcessW may write into its command line
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &started))
    return;
  UniqueHandle process(started.hProcess);
  UniqueHandle thread(started.hThread);
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
