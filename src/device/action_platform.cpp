#include "device/action_platform.h"

#include <windows.h>
#include <mmsystem.h>
#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "device/desktop_shell.h"
#include "model/win_handles.h"

namespace q730x {

namespace {

void SayDirectStart(const std::wstring& what) {
  OutputDebugStringW((L"Q730X: no desktop shell answers; started directly, with the utility's own rights: " +
                      what + L"\n").c_str());
}

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// "\"C:\Program Files\Q730X\ScreenClip.exe\" -t desktop -p" as its program
// and its arguments.
void SplitCommandLine(const std::wstring& line, std::wstring& program, std::wstring& arguments) {
  std::size_t end = 0;
  if (!line.empty() && line[0] == L'"') {
    end = line.find(L'"', 1);
    if (end == std::wstring::npos) end = line.size();
    program = line.substr(1, end - 1);
    if (end < line.size()) ++end;
  } else {
    end = std::min(line.find(L' '), line.size());
    program = line.substr(0, end);
  }
  const std::size_t rest = line.find_first_not_of(L' ', end);
  arguments = rest == std::wstring::npos ? std::wstring() : line.substr(rest);
}

// What WinExec(commandLine, SW_SHOWNORMAL) does, but with the command line
// kept in UTF-16: an ANSI copy could not name a folder outside the code page.
void CreateProcessDirectly(const std::wstring& commandLine) {
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

}  // namespace

// The capture tool runs as the user, like every program a key starts: the
// desktop's shell starts it, and only without one does the utility itself.
void WindowsActionPlatform::RunCommandLine(const std::u16string& commandLine) {
  const std::wstring line = Wide(commandLine);
  std::wstring program, arguments;
  SplitCommandLine(line, program, arguments);
  if (OpenThroughDesktopShell(program, arguments)) return;
  SayDirectStart(line);
  CreateProcessDirectly(line);
}

// Sounds play in the utility's own process. A missing file plays nothing
// rather than the system's default sound.
void WindowsActionPlatform::PlaySoundFile(const std::u16string& file) {
  PlaySoundW(reinterpret_cast<const wchar_t*>(file.c_str()), GetModuleHandleW(nullptr),
             SND_FILENAME | SND_ASYNC | SND_NODEFAULT);
}

void WindowsActionPlatform::OpenWithShell(const std::u16string& target) {
  const std::wstring name = Wide(target);
  if (OpenThroughDesktopShell(name, std::wstring())) return;
  SayDirectStart(name);
  ShellExecuteW(nullptr, L"open", name.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

ActionPlatform& SystemActionPlatform() {
  static WindowsActionPlatform platform;
  return platform;
}

}  // namespace q730x
